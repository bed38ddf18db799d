// SPDX-License-Identifier: MIT
#include "option_values.h"

#include "option_lists.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace scriba8::cli {
namespace {

constexpr std::uint32_t kPage = 512;
constexpr std::uint32_t k64K = 0x10000;

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Letter case, blanks, '_' and '-' do not matter in names and labels.
std::string normalized(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '_' && c != '-' && c != '\t')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool used(const char* name) { return name != nullptr && std::strcmp(name, "NA") != 0; }

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& text : texts) out += (out.empty() ? "" : ", ") + text;
    return out;
}

// On a 64 KB chip without ISP area the value to write counts one page less
// than the area it makes, and a single page cannot be had.
bool iapShifted(const BodyInfo& chip, const ContextRecord& record) {
    return chip.flashSize == k64K && SelectedIspSize(chip, record) == 0;
}

std::uint32_t iapBytes(const BodyInfo& chip, const ContextRecord& record, std::int32_t value,
                       SelectionSource source) {
    if (value <= 0) return 0;
    const auto pages = static_cast<std::uint32_t>(value);
    if (source == SelectionSource::toWrite && iapShifted(chip, record)) return (pages + 1) * kPage;
    return pages * kPage;
}

std::uint32_t iapRoom(const BodyInfo& chip, const ContextRecord& record) {
    const std::uint32_t isp = SelectedIspSize(chip, record);
    return chip.flashSize > isp ? chip.flashSize - isp : 0;
}

std::string iapChoices(const BodyInfo& chip, const ContextRecord& record,
                       app::Language language = app::Language::english) {
    const std::uint32_t room = iapRoom(chip, record) / kPage * kPage;
    if (room == 0) return "0";
    const bool english = language == app::Language::english;
    if (iapShifted(chip, record))
        return english ? "0, or 1.0k to " + SizeText(room) + " in 0.5k steps"
                       : "0，或 1.0k 到 " + SizeText(room) + "，步长 0.5k";
    return english ? "0 to " + SizeText(room) + " in 0.5k steps"
                   : "0 到 " + SizeText(room) + "，步长 0.5k";
}

std::optional<std::string> setIap(const BodyInfo& chip, ContextRecord& record, int slot,
                                  std::string_view value, app::Language language) {
    const std::optional<std::uint32_t> bytes = ParseSize(value);
    const std::uint32_t room = iapRoom(chip, record);
    const bool shifted = iapShifted(chip, record);
    if (!bytes || *bytes % kPage != 0 || *bytes > room || (shifted && *bytes == kPage))
        return language == app::Language::english
                   ? "IAP_SIZE of " + std::string(chip.partName) + " can be " + iapChoices(chip, record)
                   : std::string(chip.partName) + " 的 IAP_SIZE 可取 " +
                         iapChoices(chip, record, language);
    const std::uint32_t pages = *bytes / kPage;
    record.itemValue[slot] = static_cast<std::int32_t>(shifted && pages > 0 ? pages - 1 : pages);
    return std::nullopt;
}

std::optional<std::string> setLabel(const BodyInfo& chip, ContextRecord& record, int slot,
                                    std::string_view value, app::Language language) {
    const OptionItem& item = chip.items[slot];
    const std::vector<std::string> labels = app::SplitChoices(item.choices);
    const std::string wanted = normalized(value);
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < labels.size() && !found; ++i)
        if (normalized(labels[i]) == wanted) found = i;
    if (!found && !wanted.empty()) {
        // "4.2V" for "Detect 4.2V", when only one label ends that way.
        std::vector<std::size_t> endings;
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (normalized(labels[i]).ends_with(wanted)) endings.push_back(i);
        if (endings.size() == 1) found = endings.front();
    }
    if (!found)
        return language == app::Language::english
                   ? std::string(item.name) + " of " + chip.partName + " can be " + joined(labels)
                   : std::string(chip.partName) + " 的 " + item.name + " 可取 " + joined(labels);
    record.itemValue[slot] = static_cast<std::int32_t>(*found);
    return std::nullopt;
}

struct SplitSetting {
    std::string_view name;
    std::string_view value;
};

std::optional<SplitSetting> splitSetting(std::string_view setting) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    SplitSetting split{trimmed(setting.substr(0, equals)), trimmed(setting.substr(equals + 1))};
    if (split.name.empty() || split.value.empty()) return std::nullopt;
    return split;
}

std::string usedItemNames(const BodyInfo& chip) {
    std::vector<std::string> names;
    for (const OptionItem& item : chip.items)
        if (used(item.name)) names.emplace_back(item.name);
    return names.empty() ? std::string("none") : joined(names);
}

std::string usedBitNames(const BodyInfo& chip) {
    std::vector<std::string> names;
    for (const OptionBit& bit : chip.bits)
        if (used(bit.name)) names.emplace_back(bit.name);
    return names.empty() ? std::string("none") : joined(names);
}

std::optional<int> itemSlot(const BodyInfo& chip, std::string_view name) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k)
        if (used(chip.items[k].name) && normalized(chip.items[k].name) == normalized(name)) return k;
    return std::nullopt;
}

std::optional<int> bitSlot(const BodyInfo& chip, std::string_view name) {
    for (int j = 0; j < S8_BIT_COUNT; ++j)
        if (used(chip.bits[j].name) && normalized(chip.bits[j].name) == normalized(name)) return j;
    return std::nullopt;
}

// Position of an item among the used ones, as DescribeSelection lists them.
std::size_t usedSlotsBefore(const BodyInfo& chip, int slot) {
    std::size_t count = 0;
    for (int k = 0; k < slot; ++k)
        if (used(chip.items[k].name)) ++count;
    return count;
}

} // namespace

std::string SizeText(std::uint32_t bytes) {
    if (bytes == 0) return "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.1fk", bytes / 1024.0);
    return text;
}

std::optional<std::uint32_t> ParseSize(std::string_view text) {
    std::string compact;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            compact += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (compact.empty()) return std::nullopt;
    if (compact.starts_with("0x")) {
        std::uint32_t value = 0;
        auto [end, error] = std::from_chars(compact.data() + 2, compact.data() + compact.size(),
                                            value, 16);
        if (error != std::errc{} || end != compact.data() + compact.size() || compact.size() == 2)
            return std::nullopt;
        return value;
    }
    const bool kilo = compact.back() == 'k';
    if (kilo) compact.pop_back();
    double number = 0;
    auto [end, error] = std::from_chars(compact.data(), compact.data() + compact.size(), number);
    if (compact.empty() || error != std::errc{} || end != compact.data() + compact.size() ||
        number < 0 || number > 1e9)
        return std::nullopt;
    const double bytes = kilo ? number * 1024.0 : number;
    const double whole = std::round(bytes);
    if (std::fabs(bytes - whole) > 1e-6) return std::nullopt;
    return static_cast<std::uint32_t>(whole);
}

std::optional<bool> ParseSwitch(std::string_view text) {
    const std::string value = lower(trimmed(text));
    if (value == "on" || value == "1") return true;
    if (value == "off" || value == "0") return false;
    return std::nullopt;
}

std::uint32_t SelectedIspSize(const BodyInfo& chip, const ContextRecord& record) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        if (app::KindOf(chip.items[k]) != app::ItemKind::ispSize) continue;
        const std::vector<std::uint32_t> sizes = app::IspPairSizes(chip.items[k]);
        const std::int32_t value = record.itemValue[k];
        return value >= 0 && static_cast<std::size_t>(value) < sizes.size() ? sizes[value] : 0;
    }
    return 0;
}

std::optional<std::string> SetItem(const BodyInfo& chip, ContextRecord& record,
                                   std::string_view setting, app::Language language) {
    const bool english = language == app::Language::english;
    const std::optional<SplitSetting> parts = splitSetting(setting);
    if (!parts)
        return english ? "\"" + std::string(setting) + "\" is not NAME=VALUE, for example ISP_SIZE=2.0k"
                       : "\"" + std::string(setting) + "\" 不是 NAME=VALUE 的形式，例如 ISP_SIZE=2.0k";
    const std::optional<int> slot = itemSlot(chip, parts->name);
    if (!slot)
        return english ? std::string(chip.partName) + " has no option \"" + std::string(parts->name) +
                             "\"; its options are " + usedItemNames(chip)
                       : std::string(chip.partName) + " 没有选项 \"" + std::string(parts->name) +
                             "\"；它的选项有 " + usedItemNames(chip);

    const OptionItem& item = chip.items[*slot];
    switch (app::KindOf(item)) {
    case app::ItemKind::ispSize: {
        const std::vector<std::uint32_t> sizes = app::IspPairSizes(item);
        const std::optional<std::uint32_t> bytes = ParseSize(parts->value);
        const auto match = bytes ? std::find(sizes.begin(), sizes.end(), *bytes) : sizes.end();
        if (match == sizes.end()) {
            std::vector<std::string> texts;
            for (std::uint32_t size : sizes) texts.push_back(SizeText(size));
            return english ? "ISP_SIZE of " + std::string(chip.partName) + " can be " + joined(texts) +
                                 " (or the same in bytes)"
                           : std::string(chip.partName) + " 的 ISP_SIZE 可取 " + joined(texts) +
                                 "（也可以用字节数表示）";
        }
        record.itemValue[*slot] = static_cast<std::int32_t>(match - sizes.begin());
        return std::nullopt;
    }
    case app::ItemKind::iapSize: return setIap(chip, record, *slot, parts->value, language);
    case app::ItemKind::trimFrequency:
    case app::ItemKind::unused:
    case app::ItemKind::labels: return setLabel(chip, record, *slot, parts->value, language);
    }
    return std::nullopt;
}

std::optional<std::string> SetBit(const BodyInfo& chip, ContextRecord& record,
                                  std::string_view setting, app::Language language) {
    const bool english = language == app::Language::english;
    const std::optional<SplitSetting> parts = splitSetting(setting);
    if (!parts)
        return english ? "\"" + std::string(setting) + "\" is not NAME=on|off, for example LOCK=on"
                       : "\"" + std::string(setting) + "\" 不是 NAME=on|off 的形式，例如 LOCK=on";
    if (const std::optional<int> j = bitSlot(chip, parts->name)) {
        const std::optional<bool> on = ParseSwitch(parts->value);
        if (!on)
            return english ? std::string(chip.bits[*j].name) + " can be on or off (or 1 or 0), not \"" +
                                 std::string(parts->value) + "\""
                           : std::string(chip.bits[*j].name) + " 只能取 on 或 off（或 1 或 0），不能是 \"" +
                                 std::string(parts->value) + "\"";
        record.bitValue[*j] = *on ? 1u : 0u;
        return std::nullopt;
    }
    return english ? std::string(chip.partName) + " has no bit option \"" + std::string(parts->name) +
                         "\"; its bit options are " + usedBitNames(chip)
                   : std::string(chip.partName) + " 没有位选项 \"" + std::string(parts->name) +
                         "\"；它的位选项有 " + usedBitNames(chip);
}

std::optional<std::string> ApplySettings(const BodyInfo& chip, ContextRecord& record,
                                         std::span<const std::string> items,
                                         std::span<const std::string> bits,
                                         app::Language language) {
    const bool english = language == app::Language::english;
    auto isIsp = [&](const std::string& setting) {
        const std::optional<SplitSetting> parts = splitSetting(setting);
        const std::optional<int> slot = parts ? itemSlot(chip, parts->name) : std::nullopt;
        return slot && app::KindOf(chip.items[*slot]) == app::ItemKind::ispSize;
    };
    std::vector<std::string> ordered(items.begin(), items.end());
    std::stable_partition(ordered.begin(), ordered.end(), isIsp);
    // The same option twice is fine when both say the same; otherwise which
    // one was meant cannot be guessed.
    std::array<std::optional<std::string>, S8_ITEM_COUNT> itemGiven;
    for (const std::string& setting : ordered) {
        if (auto error = SetItem(chip, record, setting, language)) return error;
        const int slot = *itemSlot(chip, splitSetting(setting)->name);
        const std::string value = DescribeSelection(chip, record, SelectionSource::toWrite)
                                      .items[usedSlotsBefore(chip, slot)].value;
        if (itemGiven[slot] && *itemGiven[slot] != value)
            return english ? std::string(chip.items[slot].name) + " is given twice, as " +
                                 *itemGiven[slot] + " and as " + value + ": give it once"
                           : std::string(chip.items[slot].name) + " 给出了两次，分别为 " +
                                 *itemGiven[slot] + " 和 " + value + "：请只给出一次";
        itemGiven[slot] = value;
    }
    std::array<std::optional<bool>, S8_BIT_COUNT> bitGiven;
    for (const std::string& setting : bits) {
        if (auto error = SetBit(chip, record, setting, language)) return error;
        const int slot = *bitSlot(chip, splitSetting(setting)->name);
        const bool on = record.bitValue[slot] == 1;
        if (bitGiven[slot] && *bitGiven[slot] != on)
            return english ? std::string(chip.bits[slot].name) +
                                 " is given twice, as on and as off: give it once"
                           : std::string(chip.bits[slot].name) + " 给出了两次，分别为 on 和 off：请只给出一次";
        bitGiven[slot] = on;
    }

    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        if (app::KindOf(chip.items[k]) != app::ItemKind::iapSize) continue;
        const std::uint32_t bytes =
            iapBytes(chip, record, record.itemValue[k], SelectionSource::toWrite);
        if (bytes > iapRoom(chip, record))
            return english ? "IAP_SIZE " + SizeText(bytes) + " does not fit beside ISP_SIZE " +
                                 SizeText(SelectedIspSize(chip, record)) + " on " + chip.partName +
                                 "; IAP_SIZE can be " + iapChoices(chip, record)
                           : std::string(chip.partName) + " 上 IAP_SIZE " + SizeText(bytes) +
                                 " 与 ISP_SIZE " + SizeText(SelectedIspSize(chip, record)) +
                                 " 放不下；IAP_SIZE 可取 " + iapChoices(chip, record, language);
    }
    return std::nullopt;
}

std::vector<std::string> ItemChoiceTexts(const BodyInfo& chip, int slot,
                                         const ContextRecord& record, app::Language language) {
    const OptionItem& item = chip.items[slot];
    if (!used(item.name)) return {};
    switch (app::KindOf(item)) {
    case app::ItemKind::ispSize: {
        std::vector<std::string> texts;
        for (std::uint32_t size : app::IspPairSizes(item)) texts.push_back(SizeText(size));
        return texts;
    }
    case app::ItemKind::iapSize: return {iapChoices(chip, record, language)};
    case app::ItemKind::trimFrequency:
    case app::ItemKind::unused:
    case app::ItemKind::labels: return app::SplitChoices(item.choices);
    }
    return {};
}

SelectionTexts DescribeSelection(const BodyInfo& chip, const ContextRecord& record,
                                 SelectionSource source) {
    SelectionTexts texts;
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        const OptionItem& item = chip.items[k];
        if (!used(item.name)) continue;
        const std::int32_t value = record.itemValue[k];
        std::string text;
        switch (app::KindOf(item)) {
        case app::ItemKind::ispSize: {
            const std::vector<std::uint32_t> sizes = app::IspPairSizes(item);
            if (value >= 0 && static_cast<std::size_t>(value) < sizes.size())
                text = SizeText(sizes[value]);
            break;
        }
        case app::ItemKind::iapSize: text = SizeText(iapBytes(chip, record, value, source)); break;
        case app::ItemKind::trimFrequency:
        case app::ItemKind::unused:
        case app::ItemKind::labels: {
            // The oscillator frequency is not kept in the option bytes.
            if (app::KindOf(item) == app::ItemKind::trimFrequency &&
                source == SelectionSource::decoded) {
                text = "Not support read";
                break;
            }
            const std::vector<std::string> labels = app::SplitChoices(item.choices);
            if (value >= 0 && static_cast<std::size_t>(value) < labels.size()) text = labels[value];
            break;
        }
        }
        if (text.empty()) text = "unknown (" + std::to_string(value) + ")";
        texts.items.push_back({item.name, text});
    }
    for (int j = 0; j < S8_BIT_COUNT; ++j)
        if (used(chip.bits[j].name)) texts.bits.push_back({chip.bits[j].name, record.bitValue[j] == 1});
    return texts;
}

std::string_view EnglishDescription(const OptionBit& bit) {
    return bit.description != nullptr ? std::string_view(bit.description) : std::string_view();
}

std::string_view BitDescription(const OptionBit& bit, app::Language language) {
    const std::string_view english = EnglishDescription(bit);
    if (language == app::Language::english || bit.description == nullptr) return english;
    // The Chinese text follows the English one's terminating NUL.
    const std::string_view chinese(english.data() + english.size() + 1);
    return chinese.empty() ? english : chinese;
}

} // namespace scriba8::cli
