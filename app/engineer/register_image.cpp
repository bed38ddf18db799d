// SPDX-License-Identifier: MIT
#include "register_image.h"

#include <algorithm>
#include <cmath>

namespace scriba8::engineer {

Bytes BlankImage(std::int32_t length) {
    return Bytes(static_cast<std::size_t>(std::max(length, 0)), 0xFF);
}

void PlaceValue(Bytes& image, std::int64_t offset, std::span<const std::uint8_t> value) {
    const auto size = static_cast<std::int64_t>(image.size());
    if (offset < 0 || offset >= size) return;
    const auto count = std::min(static_cast<std::int64_t>(value.size()), size - offset);
    std::copy_n(value.begin(), count, image.begin() + offset);
}

Bytes TakeValue(std::span<const std::uint8_t> image, std::int64_t offset, std::int32_t size) {
    const auto length = static_cast<std::int64_t>(image.size());
    if (offset < 0 || offset >= length || size <= 0) return {};
    const auto count = std::min<std::int64_t>(size, length - offset);
    return Bytes(image.begin() + offset, image.begin() + offset + count);
}

Bytes PaddedValue(std::span<const std::uint8_t> value, std::int32_t size) {
    Bytes padded = BlankImage(size);
    std::copy_n(value.begin(), std::min(value.size(), padded.size()), padded.begin());
    return padded;
}

BitChecks ChecksFromByte(std::uint8_t value) {
    BitChecks checks{};
    for (int b = 0; b < 8; ++b) checks[static_cast<std::size_t>(b)] = ((value >> b) & 1) == 0;
    return checks;
}

std::uint8_t ByteFromChecks(const BitChecks& checks) {
    std::uint8_t value = 0xFF;
    for (int b = 0; b < 8; ++b)
        if (checks[static_cast<std::size_t>(b)]) value = static_cast<std::uint8_t>(value & ~(1u << b));
    return value;
}

std::vector<IndexRange> DifferingRanges(std::span<const std::uint8_t> written,
                                        std::span<const std::uint8_t> read) {
    std::vector<IndexRange> ranges;
    const std::size_t length = std::min(written.size(), read.size());
    for (std::size_t i = 0; i < length; ++i) {
        if (written[i] == read[i]) continue;
        const auto index = static_cast<std::uint32_t>(i);
        if (!ranges.empty() && ranges.back().second + 1 == index)
            ranges.back().second = index;
        else
            ranges.emplace_back(index, index);
    }
    return ranges;
}

SheetScroll::SheetScroll(int designHeight, int clientHeight) {
    if (designHeight <= 0 || clientHeight >= designHeight) return;
    range_ = designHeight - std::max(clientHeight, 0) + 8;
    page_ = static_cast<int>(
        std::lround(static_cast<double>(range_) * std::max(clientHeight, 0) / designHeight));
}

int SheetScroll::clamp(int position) const { return std::clamp(position, 0, maximum()); }

int SheetScroll::contentOffset(int position) const {
    // With a page as large as the range the bar cannot move: nothing to divide.
    if (maximum() == 0) return 0;
    return static_cast<int>(
        std::lround(static_cast<double>(clamp(position)) * range_ / maximum()));
}

} // namespace scriba8::engineer
