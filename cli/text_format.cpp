#include "text_format.h"

#include <algorithm>
#include <cstdio>

namespace scriba8::cli {

std::string HexText(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string FieldText(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes[i] != 0xFF && bytes[i] != 0; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    else
        text += ' ';
    return text;
}

std::string RangeText(const ByteRange& range) {
    if (range.first == range.last) return HexText(range.first, 8);
    return HexText(range.first, 8) + "-" + HexText(range.last, 8);
}

std::optional<ByteRange> CodeIn(std::span<const std::uint8_t> image, std::size_t first,
                                std::size_t end) {
    std::optional<ByteRange> range;
    for (std::size_t i = first; i < std::min(end, image.size()); ++i) {
        if (image[i] == 0xFF) continue;
        const auto address = static_cast<std::uint32_t>(i);
        if (!range) range = ByteRange{address, address};
        range->last = address;
    }
    return range;
}

std::optional<ByteRange> OverwrittenCode(std::span<const std::uint8_t> before,
                                         std::span<const std::uint8_t> after) {
    std::optional<ByteRange> range;
    const std::size_t common = std::min(before.size(), after.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (before[i] == 0xFF || after[i] == before[i]) continue;
        const auto address = static_cast<std::uint32_t>(i);
        if (!range) range = ByteRange{address, address};
        range->last = address;
    }
    return range;
}

} // namespace scriba8::cli
