// SPDX-License-Identifier: MIT
#include "hex_geometry.h"

#include <algorithm>
#include <limits>

namespace scriba8::hexedit {

namespace {

// Beyond these, sizes stop meaning anything on a screen; the caps keep the
// pixel arithmetic inside int.
constexpr unsigned kMaxBytesPerRow = 65536;
constexpr unsigned kMaxAddressDigits = 31;

// Outline points far outside the view are pulled in to this distance; the
// clip hides them either way, and the lines through them keep their slope.
constexpr std::int64_t kFarAway = 1 << 24;

int ToPixel(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, -kFarAway, kFarAway));
}

unsigned FitBytesPerRow(int available, int cw, bool showAscii)
{
    // Each byte takes 3 characters in the hex column (4 with its ASCII
    // character); the last byte needs no trailing space, which the remainder
    // test allows for.
    const int perByte = (showAscii ? 4 : 3) * cw;
    const int lastByte = perByte - cw;
    if (available < 0)
        return 1;
    unsigned count = static_cast<unsigned>(available / perByte);
    if (available % perByte >= lastByte)
        ++count;
    return count;
}

// Hex digits of the largest address in a buffer of this length.
unsigned DigitsOfLastAddress(std::uint32_t length)
{
    unsigned digits = 1;
    for (std::uint32_t last = length > 0 ? length - 1 : 0; last > 0xF; last >>= 4)
        ++digits;
    return digits;
}

} // namespace

Layout ComputeLayout(const LayoutInput& in)
{
    Layout out;
    out.charWidth = std::max(1, in.charWidth);
    out.rowHeight = std::max(1, in.rowHeight);
    const int cw = out.charWidth;
    const int rh = out.rowHeight;

    PixelRect& text = out.textRect;
    text = {kTextInset, kTextInset, in.clientWidth - kTextInset, in.clientHeight - kTextInset};
    text.right = std::max(text.right, text.left);
    text.bottom = std::max(text.bottom, text.top);

    const int height = text.height();
    out.fullRows = static_cast<unsigned>(height / rh);
    const int rest = height % rh;
    out.visibleRows = out.fullRows + (rest > 0 ? 1 : 0);
    out.lastRowHeight = rest > 0 ? rest : rh;

    // A label never gets cut: a buffer past what the configured digits can
    // count widens the column.
    const unsigned digits =
        std::max(std::min(in.addressDigits, kMaxAddressDigits), DigitsOfLastAddress(in.length));
    out.addressDigits = digits;
    out.addressX = 0;
    out.addressWidth = in.showAddress ? static_cast<int>(digits) * cw + kColumnGap : 0;

    unsigned bpr = in.configuredBytesPerRow;
    if (in.fitToWidth) {
        int available = text.width() - out.addressWidth;
        if (in.showAscii)
            available -= kColumnGap;
        bpr = FitBytesPerRow(available, cw, in.showAscii);
    }
    bpr = std::clamp(bpr, 1u, kMaxBytesPerRow);
    out.bytesPerRow = bpr;

    const int hexTextWidth = (3 * static_cast<int>(bpr) - 1) * cw;
    out.hexX = out.addressWidth;
    out.hexWidth = hexTextWidth + kColumnGap;
    if (in.showAscii) {
        out.asciiX = out.hexX + out.hexWidth;
        out.asciiWidth = static_cast<int>(bpr) * cw;
        out.contentWidth = out.asciiX + out.asciiWidth;
    } else {
        out.contentWidth = out.hexX + hexTextWidth;
    }

    // A view lower than one row still shows the last row when scrolled to
    // the end, instead of scrolling past it.
    out.totalRows = (std::uint64_t{in.length} + bpr - 1) / bpr;
    const std::uint64_t rowsAtEnd = std::max(out.fullRows, 1u);
    out.maxFirstRow = out.totalRows > out.fullRows
                          ? static_cast<std::uint32_t>(out.totalRows - rowsAtEnd)
                          : 0;
    out.maxHorizontalOffset = std::max(0, out.contentWidth - text.width());
    return out;
}

std::optional<ScrollExtent> VerticalExtent(const Layout& layout)
{
    if (layout.maxFirstRow == 0)
        return std::nullopt;
    const auto rows = static_cast<int>(std::max(layout.fullRows, 1u));
    return ScrollExtent{0, static_cast<int>(layout.maxFirstRow) + rows - 1, rows};
}

std::optional<ScrollExtent> HorizontalExtent(const Layout& layout)
{
    if (layout.maxHorizontalOffset == 0)
        return std::nullopt;
    const int width = layout.textRect.width();
    return ScrollExtent{0, layout.maxHorizontalOffset + width - 1, width};
}

CaretPosition HitTest(const Layout& layout, ViewPosition view, int px, int py, std::uint32_t length)
{
    const std::int64_t cw = layout.charWidth;
    const std::int64_t rh = layout.rowHeight;
    // Adding half a character rounds to the nearest character boundary.
    std::int64_t x = std::int64_t{px} + view.horizontalOffset + cw / 2 - layout.textRect.left;
    std::int64_t y = std::int64_t{py} - layout.textRect.top;

    y = std::clamp<std::int64_t>(y, 0, rh * layout.visibleRows);
    const std::int64_t hexRight = std::int64_t{layout.hexX} + layout.hexWidth - kColumnGap;
    x = std::clamp<std::int64_t>(x, layout.hexX, hexRight);

    const std::int64_t row = y / rh;
    const std::int64_t cell = (x - layout.hexX) / cw;
    const std::uint64_t index = (view.firstRow + static_cast<std::uint64_t>(row)) * layout.bytesPerRow +
                                static_cast<std::uint64_t>(cell / 3);
    if (index >= length)
        return {length - 1, false};
    return {static_cast<std::uint32_t>(index), cell % 3 == 0};
}

std::optional<PixelRect> CaretBox(const Layout& layout, ViewPosition view, CaretPosition caret)
{
    const std::uint64_t bpr = layout.bytesPerRow;
    const std::uint64_t first = std::uint64_t{view.firstRow} * bpr;
    const std::uint64_t pastView = (std::uint64_t{view.firstRow} + layout.visibleRows) * bpr;
    if (caret.index < first || caret.index >= pastView)
        return std::nullopt;

    const auto row = static_cast<int>((caret.index - first) / bpr);
    const auto column = static_cast<int>((caret.index - first) % bpr);
    const int height = row == static_cast<int>(layout.visibleRows) - 1 ? layout.lastRowHeight
                                                                       : layout.rowHeight;
    const PixelRect& text = layout.textRect;
    const int cw = layout.charWidth;

    int x = text.left + layout.hexX - view.horizontalOffset + cw * (3 * column + (caret.highNibble ? 0 : 1));
    const int y = text.top + row * layout.rowHeight + 1;
    int width = cw;
    if (x + width <= text.left - kFrameOutset || x > text.right)
        return std::nullopt;
    if (x < text.left - kFrameOutset) {
        width += x - (text.left - kFrameOutset);
        x = text.left - kFrameOutset;
    }
    if (x + width > text.right + kFrameOutset)
        width = text.right + kFrameOutset - x;
    return PixelRect{x, y, x + width, y + height - 1};
}

std::optional<std::uint32_t> RowToShow(const Layout& layout, std::uint32_t firstRow,
                                       std::uint32_t start, std::uint32_t end)
{
    const std::uint64_t bpr = layout.bytesPerRow;
    const std::uint64_t s = std::min(start, end);
    const std::uint64_t e = std::max(start, end);
    const std::uint64_t first = std::uint64_t{firstRow} * bpr;
    // A view lower than one row is treated as one row: the range is shown
    // in the partly visible row rather than scrolled out of view.
    const std::uint64_t span = std::uint64_t{std::max(layout.fullRows, 1u)} * bpr;
    const std::uint64_t viewEnd = first + span;  // first byte below the full rows

    if (s <= first && e >= viewEnd)
        return std::nullopt;  // the range already covers the view

    std::uint64_t row = 0;
    if (e - s > span) {
        // Taller than the view: show its start when that lies below the top,
        // otherwise bring its end up to the last full row.
        row = s > first ? s / bpr : (e - span + bpr) / bpr;
    } else if (s < first) {
        row = s / bpr;
    } else if (e < viewEnd) {
        return std::nullopt;
    } else {
        row = (e - span + bpr) / bpr;  // e's row becomes the last full row
    }

    return static_cast<std::uint32_t>(std::min<std::uint64_t>(row, layout.maxFirstRow));
}

std::optional<int> OffsetToShow(const Layout& layout, int horizontalOffset, std::uint32_t start,
                                std::uint32_t end)
{
    const int cw = layout.charWidth;
    const PixelRect& text = layout.textRect;
    const int base = text.left + layout.hexX - horizontalOffset;
    int x1 = base + 3 * static_cast<int>(start % layout.bytesPerRow) * cw;
    int x2 = base + (3 * static_cast<int>(end % layout.bytesPerRow) + 2) * cw;
    if (x1 > x2)
        std::swap(x1, x2);

    int offset = horizontalOffset;
    if (x1 < text.left && x2 < text.right)
        offset = horizontalOffset - (text.left - x1);
    else if (x1 > text.left && x2 >= text.right)
        offset = horizontalOffset + x2 - text.width();
    offset = std::clamp(offset, 0, layout.maxHorizontalOffset);
    if (offset == horizontalOffset)
        return std::nullopt;
    return offset;
}

std::vector<PixelPoint> HighlightOutline(const Layout& layout, ViewPosition view,
                                         std::uint32_t start, std::uint32_t end)
{
    const std::int64_t bpr = layout.bytesPerRow;
    const std::int64_t cw = layout.charWidth;
    const std::int64_t rh = layout.rowHeight;
    const std::int64_t left = layout.textRect.left + layout.hexX - view.horizontalOffset;
    const std::int64_t top = layout.textRect.top;
    const std::int64_t right = left + (3 * bpr - 1) * cw;

    const std::int64_t first = std::int64_t{view.firstRow} * bpr;
    const std::int64_t s = std::int64_t{start} - first;
    const std::int64_t e = std::int64_t{end} - first + 1;  // one past the range
    if (e <= 0 || s >= std::int64_t{layout.visibleRows} * bpr)
        return {};

    std::int64_t sRow = s / bpr;
    std::int64_t sCol = s % bpr;
    std::int64_t eRow = e / bpr;
    std::int64_t eCol = e % bpr;
    if (eRow == sRow + 1 && eCol == 0) {  // ends exactly at a row end
        eRow = sRow;
        eCol = bpr;
    }

    std::vector<PixelPoint> points;
    points.reserve(8);
    auto add = [&points](std::int64_t x, std::int64_t y) { points.push_back({ToPixel(x), ToPixel(y)}); };

    if (sRow < -1) {
        add(left - kFrameOutset, top - 1);  // starts well above the view
    } else {
        if (sCol < 0 && sRow == 0) {  // starts in the row just above the view
            sCol += bpr;
            sRow = -1;
        }
        sCol = std::max<std::int64_t>(sCol, 0);
        const std::int64_t xs = left + 3 * sCol * cw - kFrameOutset;
        add(xs, top + (sRow + 1) * rh);
        add(xs, top + sRow * rh);
    }

    const std::int64_t xe = left + (3 * eCol - 1) * cw + kFrameOutset;
    if (sRow == eRow) {
        add(xe, top + eRow * rh);
        add(xe, top + (eRow + 1) * rh);
        return points;
    }
    const int firstY = points.front().y;
    add(right + 1, points.back().y);
    add(right + 1, top + eRow * rh);
    if (eCol > 0) {
        add(xe, top + eRow * rh);
        add(xe, top + (eRow + 1) * rh);
    }
    add(left - kFrameOutset, points.back().y);
    add(left - kFrameOutset, firstY);
    return points;
}

std::optional<TextRun> RunInRow(std::uint64_t rowFirst, std::uint64_t rowLast, std::uint32_t start,
                                std::uint32_t end)
{
    if (end < rowFirst || start > rowLast)
        return std::nullopt;
    const int runStart = start < rowFirst ? 0 : static_cast<int>(3 * (start - rowFirst));
    const int runEnd = static_cast<int>(3 * (std::min<std::uint64_t>(end, rowLast) - rowFirst) + 2);
    return TextRun{runStart, runEnd};
}

} // namespace scriba8::hexedit
