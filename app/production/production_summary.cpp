// SPDX-License-Identifier: MIT
#include "production_summary.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <optional>
#include <set>

namespace scriba8::app {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::optional<std::uint64_t> serialNumber(const std::string& text) {
    if (text.empty() || text.size() > 16) return std::nullopt;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string hexText(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

constexpr std::uint64_t kLargestRangeListed = 10'000'000;

std::string fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

std::optional<std::int64_t> RecordTimeMs(const std::string& time) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    if (std::sscanf(time.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &y, &mo, &d, &h, &mi, &s, &ms) != 7)
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
    const std::int64_t days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    return ((days * 24 + h) * 60 + mi) * 60000 + s * 1000 + ms;
}

ProductionSummary Summarize(const std::vector<ProductionRecord>& records, const JournalContents* journal) {
    ProductionSummary summary;
    std::optional<std::int64_t> first;
    std::optional<std::int64_t> last;
    std::map<std::uint64_t, std::string> failureOf; // serial -> a recorded failure
    std::multiset<std::uint64_t> good;
    std::set<std::uint64_t> seen;
    bool numeric = true;
    for (const ProductionRecord& r : records) {
        ++summary.attempts;
        ProgrammerTally& tally = summary.byProgrammer[r.programmer];
        ++tally.attempts;
        if (r.passed()) {
            ++summary.passed;
            ++tally.passed;
        } else {
            ++summary.failed;
            ++tally.failed;
            ++summary.failuresByCode[r.resultCode];
            summary.messageOfCode.emplace(r.resultCode, r.result);
        }
        if (const auto start = RecordTimeMs(r.time)) {
            const std::int64_t end = *start + static_cast<std::int64_t>(r.durationMs);
            first = first ? std::min(*first, *start) : *start;
            last = last ? std::max(*last, end) : end;
        }
        if (!r.serial) continue;
        const std::optional<std::uint64_t> number = serialNumber(*r.serial);
        if (!number) {
            numeric = false;
            continue;
        }
        seen.insert(*number);
        if (r.passed()) good.insert(*number);
        else failureOf.emplace(*number, r.result);
    }
    if (summary.attempts != 0)
        summary.yieldPercent = 100.0 * static_cast<double>(summary.passed) / static_cast<double>(summary.attempts);
    if (first && last && *last > *first) {
        summary.hours = static_cast<double>(*last - *first) / 3'600'000.0;
        summary.chipsPerHour = static_cast<double>(summary.passed) / summary.hours;
    }

    if (journal != nullptr) {
        for (const auto& [key, entry] : journal->entries) {
            if (!key.starts_with("n:")) continue;
            std::uint64_t number = 0;
            const std::string digits = key.substr(2);
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (error != std::errc{} || end != digits.data() + digits.size()) continue;
            seen.insert(number);
            if (entry.state == SerialState::unused) failureOf.emplace(number, "failed before its image was written");
            else if (entry.state == SerialState::failed) failureOf.emplace(number, "failed");
        }
    }
    summary.numericSerials = numeric && !seen.empty();
    if (!summary.numericSerials) return summary;
    for (auto it = good.begin(); it != good.end(); it = good.upper_bound(*it))
        if (good.count(*it) > 1) summary.serialsTwice.push_back(hexText(*it));
    // The step of the numbers is what separates them; every number from the
    // first to the last at that step should be in a good chip.
    std::uint64_t step = 0;
    for (auto it = seen.begin(), next = std::next(it); next != seen.end(); ++it, ++next)
        step = std::gcd(step, *next - *it);
    summary.serialStep = step == 0 ? 1 : step;
    summary.firstSerial = *seen.begin();
    summary.lastSerial = *seen.rbegin();
    summary.serialsInGoodChips = std::set<std::uint64_t>(good.begin(), good.end()).size();
    // A range wider than any run could fill comes from numbers of unrelated
    // plans in one report: its gaps would be noise.
    if ((summary.lastSerial - summary.firstSerial) / summary.serialStep > kLargestRangeListed) {
        summary.gapsListed = false;
        return summary;
    }
    SerialGap* open = nullptr;
    for (std::uint64_t n = summary.firstSerial;; n += summary.serialStep) {
        if (good.count(n) == 0) {
            if (open == nullptr) {
                summary.gaps.push_back({n, n, 0, {}});
                open = &summary.gaps.back();
            }
            open->last = n;
            ++open->count;
            const auto failure = failureOf.find(n);
            open->why.emplace_back(n, failure != failureOf.end() ? failure->second : "unknown");
        } else {
            open = nullptr;
        }
        if (n >= summary.lastSerial || summary.lastSerial - n < summary.serialStep) break;
    }
    return summary;
}

std::vector<std::string> SummaryLines(const ProductionSummary& s, Language language) {
    const bool en = language == Language::english;
    std::vector<std::string> lines;
    lines.push_back((en ? "Attempts: " : "尝试次数：") + std::to_string(s.attempts) + (en ? ", good: " : "，成功：") +
                    std::to_string(s.passed) + (en ? ", failed: " : "，失败：") + std::to_string(s.failed) +
                    (en ? ", yield " : "，良率 ") + fixed(s.yieldPercent, 1) + " %");
    if (s.hours > 0)
        lines.push_back((en ? "Good chips per hour: " : "每小时成功芯片数：") + fixed(s.chipsPerHour, 0) +
                        (en ? " (over " : "（共 ") + fixed(s.hours * 60.0, 1) + (en ? " min)" : " 分钟）"));
    if (!s.failuresByCode.empty()) {
        lines.push_back(en ? "Failures by result:" : "按结果统计的失败：");
        for (const auto& [code, count] : s.failuresByCode)
            lines.push_back("  " + std::to_string(code) + "  " + std::to_string(count) + "  " +
                            s.messageOfCode.at(code));
    }
    lines.push_back(en ? "By programmer:" : "按编程器统计：");
    for (const auto& [programmer, tally] : s.byProgrammer)
        lines.push_back("  " + programmer + (en ? "  attempts " : "  尝试 ") + std::to_string(tally.attempts) +
                        (en ? ", good " : "，成功 ") + std::to_string(tally.passed) + (en ? ", failed " : "，失败 ") +
                        std::to_string(tally.failed));
    if (!s.numericSerials) return lines;
    lines.push_back((en ? "Serial numbers: " : "序列号：") + hexText(s.firstSerial) + ".." + hexText(s.lastSerial) +
                    (en ? " (step " : "（步长 ") + hexText(s.serialStep) + (en ? "), " : "），") +
                    std::to_string(s.serialsInGoodChips) + (en ? " in good chips" : " 个在成功的芯片中"));
    for (const std::string& twice : s.serialsTwice)
        lines.push_back((en ? "  IN TWO GOOD CHIPS: " : "  在两个成功的芯片中：") + twice);
    if (!s.gapsListed)
        lines.push_back(en ? "  (the numbers span too wide a range to list its gaps)"
                           : "  （号码范围太大，不列出缺号）");
    for (const SerialGap& gap : s.gaps) {
        lines.push_back((en ? "  gap " : "  缺号 ") + hexText(gap.first) + ".." + hexText(gap.last) + " (" +
                        std::to_string(gap.count) + (en ? "):" : ")："));
        for (const auto& [number, why] : gap.why)
            lines.push_back("    " + hexText(number) + "  " +
                            (why == "unknown" ? (en ? "no record: the run ended while a chip was being "
                                                      "programmed; it may be in that chip, never reused"
                                                    : "没有记录：运行在编程芯片时结束；该号码可能已在芯片中，不会再用")
                                              : why));
    }
    return lines;
}

} // namespace scriba8::app
