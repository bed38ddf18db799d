// SPDX-License-Identifier: MIT
#include "chip_lookup.h"

#include <algorithm>
#include <cctype>

namespace scriba8::cli {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Edits (insert, delete, replace, swap of neighbours) between two names.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::optional<std::int32_t> FindPart(std::span<const BodyInfo> chips, std::string_view name) {
    for (std::size_t i = 0; i < chips.size(); ++i)
        if (chips[i].partName != nullptr && name == chips[i].partName)
            return static_cast<std::int32_t>(i);
    const std::string wanted = lower(name);
    std::optional<std::int32_t> found;
    for (std::size_t i = 0; i < chips.size(); ++i) {
        if (chips[i].partName == nullptr || lower(chips[i].partName) != wanted) continue;
        if (found) return std::nullopt; // two names differing only in case: say which
        found = static_cast<std::int32_t>(i);
    }
    return found;
}

std::optional<std::string> ClosestWord(std::span<const std::string> words, std::string_view typed) {
    const std::string wanted = lower(typed);
    std::optional<std::string> best;
    std::size_t bestEdits = std::max<std::size_t>(2, wanted.size() / 3) + 1;
    for (const std::string& word : words) {
        const std::string candidate = lower(word);
        const std::size_t edits = candidate.starts_with(wanted) && !wanted.empty()
                                      ? 0
                                      : editDistance(candidate, wanted);
        if (edits < bestEdits) {
            bestEdits = edits;
            best = word;
        }
    }
    return best;
}

std::vector<std::string> ClosePartNames(std::span<const BodyInfo> chips, std::string_view name,
                                        std::size_t limit) {
    const std::string wanted = lower(name);
    if (wanted.empty()) return {};
    // Rank 0: same letters; 1: prefix; 2: contains; 3 + edits: a few typing
    // mistakes away. Table order breaks ties.
    const std::size_t allowedEdits = std::max<std::size_t>(2, wanted.size() / 3);
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const BodyInfo& chip : chips) {
        if (chip.partName == nullptr) continue;
        const std::string candidate = lower(chip.partName);
        std::size_t rank = 0;
        if (candidate == wanted) {
            rank = 0;
        } else if (candidate.starts_with(wanted)) {
            rank = 1;
        } else if (candidate.find(wanted) != std::string::npos) {
            rank = 2;
        } else {
            const std::size_t edits = editDistance(candidate, wanted);
            if (edits > allowedEdits) continue;
            rank = 3 + edits;
        }
        ranked.emplace_back(rank, chip.partName);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (auto& entry : ranked) {
        if (names.size() == limit) break;
        names.push_back(std::move(entry.second));
    }
    return names;
}

std::vector<std::int32_t> FilterParts(std::span<const BodyInfo> chips,
                                      std::span<const std::string> filters) {
    std::vector<std::int32_t> rows;
    for (std::size_t i = 0; i < chips.size(); ++i) {
        const std::string name = lower(chips[i].partName != nullptr ? chips[i].partName : "");
        const bool wanted =
            filters.empty() || std::any_of(filters.begin(), filters.end(), [&](const auto& f) {
                return name.find(lower(f)) != std::string::npos;
            });
        if (wanted) rows.push_back(static_cast<std::int32_t>(i));
    }
    return rows;
}

std::string SeriesName(std::uint32_t seriesMask) {
    for (int bit = 0; bit < 14; ++bit)
        if ((seriesMask >> bit) & 1u) return std::string("Series ") + static_cast<char>('A' + bit);
    return "Series ?";
}

} // namespace scriba8::cli
