// SPDX-License-Identifier: MIT
#include "option_lists.h"

#include <cstdio>
#include <cstring>

namespace scriba8::app {

ItemKind KindOf(const OptionItem& item) {
    if (item.name == nullptr || std::strcmp(item.name, "NA") == 0) return ItemKind::unused;
    if (std::strcmp(item.name, "ISP_SIZE") == 0) return ItemKind::ispSize;
    if (std::strcmp(item.name, "IAP_SIZE") == 0) return ItemKind::iapSize;
    if (std::strcmp(item.name, "Trim_Frequency") == 0) return ItemKind::trimFrequency;
    return ItemKind::labels;
}

std::vector<std::string> SplitChoices(const char* choices) {
    std::vector<std::string> parts;
    std::string_view text = choices != nullptr ? choices : "";
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        if (!part.empty()) parts.emplace_back(part);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return parts;
}

std::vector<std::uint32_t> IspPairSizes(const OptionItem& item) {
    std::vector<std::uint32_t> sizes;
    for (const std::string& pair : SplitChoices(item.choices)) {
        std::uint32_t size = 0;
        for (const char c : pair) {
            if (c < '0' || c > '9') break;
            size = size * 10 + static_cast<std::uint32_t>(c - '0');
        }
        sizes.push_back(size);
    }
    return sizes;
}

std::uint32_t SelectedIspSize(const BodyInfo& chip, const ContextRecord& selection) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        if (KindOf(chip.items[k]) != ItemKind::ispSize) continue;
        const std::vector<std::uint32_t> sizes = IspPairSizes(chip.items[k]);
        const std::int32_t value = selection.itemValue[k];
        return value >= 0 && static_cast<std::size_t>(value) < sizes.size() ? sizes[value] : 0;
    }
    return 0;
}

std::string IspSizeText(std::uint32_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f k",
                  static_cast<double>(static_cast<float>(bytes) / 1024.0f));
    return text;
}

std::string IapSizeText(std::uint32_t pages) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f k", pages * 0.5);
    return text;
}

std::uint32_t IspBytesFromText(std::string_view shown) {
    if (shown.size() <= 2) return 0;
    shown.remove_suffix(2);
    // Decimal digits with at most one fraction part, as IspSizeText writes them.
    double kilobytes = 0;
    double scale = 0;
    for (const char c : shown) {
        if (c == '.' && scale == 0) {
            scale = 0.1;
        } else if (c >= '0' && c <= '9') {
            if (scale == 0) {
                kilobytes = kilobytes * 10 + (c - '0');
            } else {
                kilobytes += (c - '0') * scale;
                scale /= 10;
            }
        } else {
            break;
        }
    }
    return static_cast<std::uint32_t>(kilobytes * 1024);
}

std::vector<std::uint32_t> IapPageCounts(std::uint32_t room) {
    std::vector<std::uint32_t> pages;
    for (std::uint32_t j = 0; j <= room / kIapPage; ++j) {
        if (j == 1 && room == 0x10000) continue;
        pages.push_back(j);
    }
    return pages;
}

std::vector<std::string> ItemEntries(const BodyInfo& chip, int slot) {
    const OptionItem& item = chip.items[slot];
    std::vector<std::string> entries;
    switch (KindOf(item)) {
    case ItemKind::unused: break;
    case ItemKind::ispSize:
        for (const std::uint32_t size : IspPairSizes(item)) entries.push_back(IspSizeText(size));
        break;
    case ItemKind::iapSize:
        // Before the ISP size is known every page count is offered; the ISP
        // list's notification then narrows the list.
        for (std::uint32_t j = 0; j <= chip.flashSize / kIapPage; ++j)
            entries.push_back(IapSizeText(j));
        break;
    case ItemKind::trimFrequency:
    case ItemKind::labels: entries = SplitChoices(item.choices); break;
    }
    return entries;
}

std::uint32_t IapPagesOfValue(const BodyInfo& chip, const ContextRecord& selection,
                              std::int32_t value) {
    if (value <= 0) return 0;
    const auto pages = static_cast<std::uint32_t>(value);
    const bool shifted = chip.flashSize == 0x10000 && SelectedIspSize(chip, selection) == 0;
    return shifted ? pages + 1 : pages;
}

std::string ItemValueText(const BodyInfo& chip, const ContextRecord& selection, int slot,
                          bool decoded) {
    const OptionItem& item = chip.items[slot];
    const std::int32_t value = selection.itemValue[slot];
    switch (KindOf(item)) {
    case ItemKind::unused: return {};
    case ItemKind::ispSize: {
        const std::vector<std::uint32_t> sizes = IspPairSizes(item);
        return value >= 0 && static_cast<std::size_t>(value) < sizes.size()
                   ? IspSizeText(sizes[value])
                   : std::string();
    }
    case ItemKind::iapSize:
        if (value < 0) return {};
        return IapSizeText(decoded ? static_cast<std::uint32_t>(value)
                                   : IapPagesOfValue(chip, selection, value));
    case ItemKind::trimFrequency:
    case ItemKind::labels: {
        const std::vector<std::string> parts = SplitChoices(item.choices);
        return value >= 0 && static_cast<std::size_t>(value) < parts.size() ? parts[value]
                                                                           : std::string();
    }
    }
    return {};
}

} // namespace scriba8::app
