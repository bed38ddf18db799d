// SPDX-License-Identifier: MIT
#include "sheet_definition.h"

#include <algorithm>

namespace scriba8::engineer {
namespace {

// The platform truncates profile texts to this many characters.
constexpr std::size_t kMaxText = 255;

std::int32_t Clamp(std::int64_t value, std::int32_t maximum) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, maximum));
}

// Item and edit numbers in keys have two decimal digits from 00.
std::string TwoDigits(int number) {
    return {static_cast<char>('0' + number / 10 % 10), static_cast<char>('0' + number % 10)};
}

std::string SectionOf(int sheet) { return "Sheet" + std::to_string(sheet); }

std::string RowKey(const char* kind, int row, const char* field) {
    return kind + TwoDigits(row) + "_" + field;
}

std::string Text(const PrivateProfile& profile, std::string_view section, const std::string& key) {
    std::string text = profile.GetString(section, key, "");
    if (text.size() > kMaxText) text.resize(kMaxText);
    return text;
}

} // namespace

SheetShape ShapeOf(int sheet) {
    switch (sheet) {
    case 0: return {8, 8, true, false};
    case 1: return {11, 8, true, true};
    case 2: return {8, 8, false, false};
    default: return {1, 32, false, false};
    }
}

std::vector<std::string> ReadTabNames(const PrivateProfile& profile) {
    // Tabs beyond the four sheets would select pages that do not exist.
    const int count = Clamp(profile.GetInt("Main", "SheetCount", 0), kSheetCount);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(Text(profile, SectionOf(i), "Name"));
    return names;
}

SheetDefinition ReadSheetDefinition(const PrivateProfile& profile, int sheet) {
    const SheetShape shape = ShapeOf(sheet);
    const std::string section = SectionOf(sheet);
    SheetDefinition definition;
    definition.area = profile.GetInt(section, "Area", 0);
    definition.address = ParseHexAddress(Text(profile, section, "Address"));
    definition.writeOfBytes = Clamp(profile.GetInt(section, "WriteOfBytes", 0), kMaxImageBytes);
    definition.readOfBytes = Clamp(profile.GetInt(section, "ReadOfBytes", 0), kMaxImageBytes);

    // One-row fields stay small; the single large editor of the last sheet
    // may hold a whole image.
    const std::int32_t maxItemSize = shape.itemRows == 1 ? kMaxImageBytes : kMaxRowBytes;
    const int itemCount = Clamp(profile.GetInt(section, "ItemCount", 0), shape.itemRows);
    for (int k = 0; k < itemCount; ++k) {
        ItemRecord item;
        item.name = Text(profile, section, RowKey("Item", k, "Name"));
        item.addrOffset = profile.GetInt(section, RowKey("Item", k, "AddrOffset"), 0);
        item.size = Clamp(profile.GetInt(section, RowKey("Item", k, "Size"), 0), maxItemSize);
        for (int b = 0; b < shape.bitsPerItem; ++b)
            item.bitNames.push_back(Text(profile, section, RowKey("Item", k, "Bit") + TwoDigits(b)));
        definition.items.push_back(std::move(item));
    }

    if (shape.editRows) {
        const int editCount = Clamp(profile.GetInt(section, "EditCount", 0), kMaxEditRows);
        for (int e = 0; e < editCount; ++e) {
            EditRecord edit;
            edit.name = Text(profile, section, RowKey("Edit", e, "Name"));
            edit.addrOffset = profile.GetInt(section, RowKey("Edit", e, "AddrOffset"), 0);
            edit.size =
                Clamp(profile.GetInt(section, RowKey("Edit", e, "Size"), 0), kMaxRowBytes);
            definition.edits.push_back(std::move(edit));
        }
    }
    return definition;
}

std::uint32_t ParseHexAddress(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (text.substr(at, 2) == "0x" || text.substr(at, 2) == "0X") at += 2;
    std::uint32_t value = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

} // namespace scriba8::engineer
