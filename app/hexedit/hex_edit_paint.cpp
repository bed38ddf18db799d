// SPDX-License-Identifier: MIT
// Painting of CHexEditBase. Only the rows in view are built and drawn, so the
// cost of a paint follows the view, not the buffer.
#include "hex_edit_base.h"

#include "hex_text.h"

#include <QPainter>
#include <QPolygon>

using namespace scriba8::hexedit;

namespace {

struct RowSpan {
    std::uint32_t first;  // first byte of the row
    std::uint32_t last;   // last byte shown in it
    int top;              // pixel top of the row
};

std::vector<RowSpan> RowsInView(const Layout& layout, ViewPosition view, std::uint32_t length)
{
    std::vector<RowSpan> rows;
    rows.reserve(layout.visibleRows);
    const std::uint64_t bpr = layout.bytesPerRow;
    for (unsigned k = 0; k < layout.visibleRows; ++k) {
        const std::uint64_t first = (std::uint64_t{view.firstRow} + k) * bpr;
        if (first >= length)
            break;
        const std::uint64_t last = std::min<std::uint64_t>(first + bpr - 1, length - 1);
        rows.push_back({static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last),
                        layout.textRect.top + static_cast<int>(k) * layout.rowHeight});
    }
    return rows;
}

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QPolygon ToPolygon(const std::vector<PixelPoint>& points)
{
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const PixelPoint& p : points)
        polygon << QPoint(p.x, p.y);
    return polygon;
}

} // namespace

void CHexEditBase::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), colors_.background);
    if (!HasBuffer())
        return;

    // Highlight frames stand 2 pixels left and right of the digits.
    const PixelRect& text = layout_.textRect;
    painter.setClipRect(QRect(text.left - kFrameOutset, text.top, text.width() + 2 * kFrameOutset,
                              text.height()));
    painter.setFont(font_);
    if (showAddress_)
        PaintAddressColumn(painter);
    PaintHexColumn(painter);
    if (showAscii_)
        PaintAsciiColumn(painter);
    PaintCaret(painter);
}

void CHexEditBase::PaintAddressColumn(QPainter& painter) const
{
    const PixelRect& text = layout_.textRect;
    const int left = text.left + layout_.addressX - view_.horizontalOffset;
    painter.fillRect(QRect(left, text.top, layout_.addressWidth - kColumnGap, text.height()),
                     colors_.addressBackground);
    painter.setPen(colors_.addressText);
    for (const RowSpan& row : RowsInView(layout_, view_, Length()))
        painter.drawText(left, row.top + ascent_, Latin1(AddressLabel(row.first, layout_.addressDigits)));
}

void CHexEditBase::PaintHexColumn(QPainter& painter) const
{
    const PixelRect& text = layout_.textRect;
    const int cw = layout_.charWidth;
    const int left = text.left + layout_.hexX - view_.horizontalOffset;
    painter.fillRect(QRect(left, text.top, layout_.hexWidth - kColumnGap, text.height()),
                     colors_.hexBackground);

    const std::vector<Range> highlights = HighlightRanges();
    std::vector<QPolygon> outlines;
    for (const Range& range : highlights) {
        QPolygon outline = ToPolygon(HighlightOutline(layout_, view_, range.first, range.second));
        if (outline.isEmpty())
            continue;
        painter.setPen(QPen(colors_.highlightFrame, 1));
        painter.setBrush(colors_.highlightFill);
        painter.drawPolygon(outline);
        outlines.push_back(std::move(outline));
    }
    painter.setBrush(Qt::NoBrush);

    const bool focused = hasFocus();
    const QColor& selectionText = focused ? colors_.focusedSelectionText : colors_.selectionText;
    const QColor& selectionBackground =
        focused ? colors_.focusedSelectionBackground : colors_.selectionBackground;

    for (const RowSpan& row : RowsInView(layout_, view_, Length())) {
        const std::span<const std::uint8_t> bytes(data_.data() + row.first, row.last - row.first + 1);
        const QString rowText = Latin1(HexRowText(bytes));
        const int baseline = row.top + ascent_;

        // Each character is drawn once, in the colour of what covers it, so
        // antialiased digits never show two colours at their edges.
        std::vector<TextRun> highlightRuns;
        for (const Range& range : highlights) {
            if (const auto run = RunInRow(row.first, row.last, range.first, range.second))
                highlightRuns.push_back(*run);
        }
        std::optional<TextRun> selectionRun;
        if (HasSelection())
            selectionRun = RunInRow(row.first, row.last, selectionStart_, selectionEnd_);

        QString plain = rowText;
        for (const TextRun& run : highlightRuns)
            plain.replace(run.start, run.end - run.start, QString(run.end - run.start, u' '));
        if (selectionRun)
            plain.replace(selectionRun->start, selectionRun->end - selectionRun->start,
                          QString(selectionRun->end - selectionRun->start, u' '));
        painter.setPen(colors_.hexText);
        painter.drawText(left, baseline, plain);

        painter.setPen(colors_.highlightText);
        for (const TextRun& run : highlightRuns)
            painter.drawText(left + run.start * cw, baseline, rowText.mid(run.start, run.end - run.start));

        if (selectionRun) {
            const int runLeft = left + selectionRun->start * cw;
            const int runRight = left + selectionRun->end * cw;
            painter.fillRect(QRect(runLeft, row.top + 1, runRight + 1 - runLeft, layout_.rowHeight - 1),
                             selectionBackground);
            painter.setPen(selectionText);
            painter.drawText(runLeft, baseline,
                             rowText.mid(selectionRun->start, selectionRun->end - selectionRun->start));
        }
    }

    // The frames again, above the texts; the closing edge stays under them.
    painter.setPen(QPen(colors_.highlightFrame, 1));
    for (const QPolygon& outline : outlines)
        painter.drawPolyline(outline);
}

void CHexEditBase::PaintAsciiColumn(QPainter& painter) const
{
    const PixelRect& text = layout_.textRect;
    const int left = text.left + layout_.asciiX - view_.horizontalOffset;
    painter.fillRect(QRect(left, text.top, layout_.asciiWidth, text.height()), colors_.asciiBackground);
    painter.setPen(colors_.asciiText);
    for (const RowSpan& row : RowsInView(layout_, view_, Length())) {
        const std::span<const std::uint8_t> bytes(data_.data() + row.first, row.last - row.first + 1);
        painter.drawText(left, row.top + ascent_, Latin1(AsciiRowText(bytes)));
    }
}

void CHexEditBase::PaintCaret(QPainter& painter) const
{
    if (!caretBox_ || !caretBlinkOn_ || !hasFocus())
        return;
    // A block caret inverts what is under it, like a system caret does.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(CaretRect(), Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
