// SPDX-License-Identifier: MIT
#include "option_texts.h"

#include "option_lists.h"

#include <cstdio>

namespace scriba8::app {
namespace {

// Chips whose sizes are whole kilobytes count ISP and IAP areas directly.
constexpr std::string_view kWholeKilobyteChoices = "RA32-ISP-IAP";

std::string_view textOf(const char* text) { return text != nullptr ? text : ""; }

std::string appendUtf8(std::string out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
    return out;
}

} // namespace

bool IsUnusedSlot(const char* name) { return name == nullptr || textOf(name) == "NA"; }

std::string OptionValueText(const BodyInfo& chip, const ContextRecord& record, int k,
                            IapCounting counting) {
    const OptionItem& item = chip.items[k];
    if (IsUnusedSlot(item.name)) return {};
    const std::string_view name = item.name;
    if ((name == "ISP_SIZE" || name == "IAP_SIZE") && textOf(item.choices) == kWholeKilobyteChoices)
        return std::to_string(record.itemValue[k]) + " k";
    return app::ItemValueText(chip, record, k, counting == IapCounting::readBack);
}

std::string RightAligned(std::string_view text, std::size_t width) {
    std::size_t characters = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return std::string(width > characters ? width - characters : 0, ' ') + std::string(text);
}

std::string FieldBytesText(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes[i] != 0xFF; ++i)
        text = appendUtf8(std::move(text), bytes[i]);
    return text;
}

} // namespace scriba8::app
