// SPDX-License-Identifier: MIT
// Geometry of the hex editor: how the font metrics, the viewport size and the
// column flags turn into rows, columns, scroll ranges, hit positions, the
// caret box and the highlight outline. Pure functions, so every number can be
// checked without a window.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace scriba8::hexedit {

// Byte index meaning "none" (no selection end, no highlight end, no anchor).
inline constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// Margin between the viewport edge and the text on every side.
inline constexpr int kTextInset = 5;
// Blank pixels after the address and the hex column.
inline constexpr int kColumnGap = 5;
// How far highlight frames and the caret may stand outside the digits.
inline constexpr int kFrameOutset = 2;

// Right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

struct LayoutInput {
    int charWidth = 1;  // advance of "0"
    int rowHeight = 1;  // ascent + descent
    int clientWidth = 0;
    int clientHeight = 0;
    bool showAddress = false;
    bool showAscii = false;
    unsigned addressDigits = 8;
    unsigned configuredBytesPerRow = 16;
    bool fitToWidth = false;
    std::uint32_t length = 0;
};

// Column x positions are measured from the text rectangle's left edge before
// horizontal scrolling.
struct Layout {
    int charWidth = 1;
    int rowHeight = 1;
    PixelRect textRect;
    unsigned fullRows = 0;     // rows that fit completely
    unsigned visibleRows = 0;  // rows at least partly visible
    int lastRowHeight = 0;     // visible height of the last visible row
    unsigned bytesPerRow = 1;
    unsigned addressDigits = 0;  // at least the configured count, more when the last address needs them
    int addressX = 0;
    int addressWidth = 0;
    int hexX = 0;
    int hexWidth = 0;
    int asciiX = 0;
    int asciiWidth = 0;
    int contentWidth = 0;  // right edge of the last column, without its gap
    std::uint64_t totalRows = 0;
    std::uint32_t maxFirstRow = 0;
    int maxHorizontalOffset = 0;
};

Layout ComputeLayout(const LayoutInput& in);

// What the view shows: the first visible row and the horizontal scroll offset.
struct ViewPosition {
    std::uint32_t firstRow = 0;
    int horizontalOffset = 0;
};

// A scroll bar's extent in the classic form: positions minimum..maximum, of
// which page are visible at once. Empty when the bar is hidden.
struct ScrollExtent {
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    friend bool operator==(const ScrollExtent&, const ScrollExtent&) = default;
};
std::optional<ScrollExtent> VerticalExtent(const Layout& layout);
std::optional<ScrollExtent> HorizontalExtent(const Layout& layout);

struct CaretPosition {
    std::uint32_t index = 0;
    bool highNibble = true;
    friend bool operator==(const CaretPosition&, const CaretPosition&) = default;
};

// Byte and nibble under a viewport point; the pointer snaps to the nearest
// character boundary. length must be > 0.
CaretPosition HitTest(const Layout& layout, ViewPosition view, int x, int y, std::uint32_t length);

// The block caret over the digit being edited, or nothing when that digit is
// outside the view.
std::optional<PixelRect> CaretBox(const Layout& layout, ViewPosition view, CaretPosition caret);

// First row that brings bytes start..end into view, already limited to the
// maximum first row; nothing when no vertical change is needed.
std::optional<std::uint32_t> RowToShow(const Layout& layout, std::uint32_t firstRow,
                                       std::uint32_t start, std::uint32_t end);

// Horizontal offset that brings the columns of start..end into view, already
// limited to the maximum offset; nothing when it stays.
std::optional<int> OffsetToShow(const Layout& layout, int horizontalOffset, std::uint32_t start,
                                std::uint32_t end);

// Outline around a highlighted range of the hex column, at most 8 points:
// the polygon is filled, and drawn again as an open line above the texts.
// Empty when the range lies wholly above or below the view.
std::vector<PixelPoint> HighlightOutline(const Layout& layout, ViewPosition view,
                                         std::uint32_t start, std::uint32_t end);

// Characters [start, end) of a row's hex text covered by a byte range.
struct TextRun {
    int start = 0;
    int end = 0;
    friend bool operator==(const TextRun&, const TextRun&) = default;
};
std::optional<TextRun> RunInRow(std::uint64_t rowFirst, std::uint64_t rowLast, std::uint32_t start,
                                std::uint32_t end);

} // namespace scriba8::hexedit
