// SPDX-License-Identifier: MIT
// The byte work of the engineer sheets, apart from any window: register
// images, the bit boxes of a one-byte register, the compare of a write value
// with its read value and the sheet's scroll arithmetic.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace scriba8::engineer {

using Bytes = std::vector<std::uint8_t>;

// length bytes of 0xFF, the value of an unprogrammed register.
Bytes BlankImage(std::int32_t length);

// Copies value into the image at offset; bytes that would fall outside the
// image (a negative offset included) are dropped.
void PlaceValue(Bytes& image, std::int64_t offset, std::span<const std::uint8_t> value);

// The bytes of the image from offset on, at most size of them; fewer (or
// none) where the value would reach past the image.
Bytes TakeValue(std::span<const std::uint8_t> image, std::int64_t offset, std::int32_t size);

// size bytes of 0xFF with value copied over their start (at most size bytes).
Bytes PaddedValue(std::span<const std::uint8_t> value, std::int32_t size);

// A check box per bit, bit 0 first; checked means the bit is 0.
using BitChecks = std::array<bool, 8>;
BitChecks ChecksFromByte(std::uint8_t value);
std::uint8_t ByteFromChecks(const BitChecks& checks);

// Inclusive index ranges where the two values differ, below the shorter length.
using IndexRange = std::pair<std::uint32_t, std::uint32_t>;
std::vector<IndexRange> DifferingRanges(std::span<const std::uint8_t> written,
                                        std::span<const std::uint8_t> read);

// Vertical scrolling of a sheet whose content is designHeight pixels tall in
// a client area of clientHeight pixels.
class SheetScroll {
public:
    SheetScroll() = default;
    SheetScroll(int designHeight, int clientHeight);

    int range() const { return range_; }
    int page() const { return page_; }
    // Highest position of the scroll bar; 0 when there is nothing to scroll.
    int maximum() const { return range_ > page_ ? range_ - page_ : 0; }
    int lineStep() const { return range_ / 20 > 0 ? range_ / 20 : 1; }
    int clamp(int position) const;
    // How far the content is moved up at a scroll bar position, so that the
    // last position shows the end of the content.
    int contentOffset(int position) const;

private:
    int range_ = 0;
    int page_ = 0;
};

} // namespace scriba8::engineer
