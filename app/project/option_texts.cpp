#include "option_texts.h"

#include <cstdio>

namespace scriba8::app {
namespace {

constexpr std::string_view kIspSize = "ISP_SIZE";
constexpr std::string_view kIapSize = "IAP_SIZE";
// Chips whose sizes are whole kilobytes count ISP and IAP areas directly.
constexpr std::string_view kWholeKilobyteChoices = "RA32-ISP-IAP";

std::string_view textOf(const char* text) { return text != nullptr ? text : ""; }

// "%.1f k": sizes in kilobytes with one decimal.
std::string kilobytesText(double value) {
    char out[48];
    std::snprintf(out, sizeof out, "%.1f k", value);
    return out;
}

std::string appendUtf8(std::string out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
    return out;
}

// The item value of the chip's ISP_SIZE slot, or nothing without one.
std::optional<std::int32_t> ispValue(const BodyInfo& chip,
                                     const std::int32_t (&itemValue)[S8_ITEM_COUNT]) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k)
        if (textOf(chip.items[k].name) == kIspSize) return itemValue[k];
    return std::nullopt;
}

} // namespace

bool IsUnusedSlot(const char* name) { return name == nullptr || textOf(name) == "NA"; }

std::optional<std::string_view> ChoicePiece(std::string_view choices, std::int64_t n) {
    if (n < 0) return std::nullopt;
    std::int64_t index = 0;
    while (true) {
        const std::size_t comma = choices.find(',');
        const std::string_view piece = choices.substr(0, comma);
        if (!piece.empty()) {
            if (index == n) return piece;
            ++index;
        }
        if (comma == std::string_view::npos) return std::nullopt;
        choices.remove_prefix(comma + 1);
    }
}

std::string IspSizeText(std::string_view choices, std::int64_t n) {
    const std::optional<std::string_view> pair = ChoicePiece(choices, n);
    if (!pair) return {};
    std::uint32_t size = 0;
    for (char c : pair->substr(0, pair->find('|'))) {
        if (c < '0' || c > '9') break;
        size = size * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return kilobytesText(static_cast<double>(static_cast<float>(size) / 1024.0f));
}

std::string ItemValueText(const BodyInfo& chip, const std::int32_t (&itemValue)[S8_ITEM_COUNT],
                          int k, IapCounting counting) {
    const OptionItem& item = chip.items[k];
    if (IsUnusedSlot(item.name)) return {};
    const std::string_view name = item.name;
    const std::string_view choices = textOf(item.choices);
    const std::int32_t v = itemValue[k];
    if ((name == kIspSize || name == kIapSize) && choices == kWholeKilobyteChoices)
        return std::to_string(v) + " k";
    if (name == kIspSize) return IspSizeText(choices, v);
    if (name == kIapSize) {
        std::int64_t pages = v;
        if (counting == IapCounting::selection && chip.flashSize == 0x10000 &&
            ispValue(chip, itemValue) == 0 && v >= 1)
            pages = std::int64_t{v} + 1;
        return kilobytesText(static_cast<double>(pages) * 0.5);
    }
    const std::optional<std::string_view> label = ChoicePiece(choices, v);
    return label ? std::string(*label) : std::string();
}

std::string RightAligned(std::string_view text, std::size_t width) {
    std::size_t characters = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return std::string(width > characters ? width - characters : 0, ' ') + std::string(text);
}

std::string FieldBytesText(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes[i] != 0xFF; ++i) text = appendUtf8(std::move(text), bytes[i]);
    return text;
}

} // namespace scriba8::app
