// SPDX-License-Identifier: MIT
// Operations of CHexEditBase: the buffer, the setters, layout, scrolling,
// caret placement and the clipboard. Input handling is in
// hex_edit_input.cpp, painting in hex_edit_paint.cpp.
#include "hex_edit_base.h"

#include "hex_text.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>
#include <climits>

using namespace scriba8::hexedit;

namespace {

QRect ToQRect(const PixelRect& r)
{
    return {r.left, r.top, r.width(), r.height()};
}

int ToScrollValue(std::uint64_t value)
{
    return static_cast<int>(std::min<std::uint64_t>(value, INT_MAX));
}

} // namespace

CHexEditBase::CHexEditBase(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    // Selection colours follow the system's at creation time.
    const QPalette& systemColors = palette();
    colors_.selectionText = systemColors.color(QPalette::Active, QPalette::WindowText);
    colors_.selectionBackground = systemColors.color(QPalette::Active, QPalette::Button);
    colors_.focusedSelectionText = systemColors.color(QPalette::Active, QPalette::HighlightedText);
    colors_.focusedSelectionBackground = systemColors.color(QPalette::Active, QPalette::Highlight);

    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    // Every paint covers the whole viewport; erasing first would only flicker.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    AdoptFont(fixed);
    setFont(fixed);
}

CHexEditBase::~CHexEditBase() = default;

QString CHexEditBase::BinaryDataMimeType()
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"BinaryData\"");
}

// ---------------------------------------------------------------------------
// Buffer and setters

void CHexEditBase::SetData(const std::uint8_t* bytes, std::uint32_t length)
{
    // A drag over the old bytes means nothing for the new ones.
    StopAutoScroll();
    anchor_ = movingEnd_ = kNone;
    selectionStart_ = selectionEnd_ = kNone;
    highlightStart_ = highlightEnd_ = kNone;
    overlayRanges_.clear();
    if (bytes != nullptr && length > 0)
        data_ = std::vector<std::uint8_t>(bytes, bytes + length);
    else
        data_ = {};
    RecalcLayout();
    updateGeometry();  // the rows the buffer needs changed
    viewport()->update();
    SetCaretIndex(0, true);
}

std::uint32_t CHexEditBase::GetData(std::uint8_t* destination, std::uint32_t maximum) const
{
    if (!HasBuffer())
        return 0;
    if (destination != nullptr)
        std::copy_n(data_.begin(), std::min(maximum, Length()), destination);
    return Length();
}

void CHexEditBase::SetReadOnly(bool readOnly, bool redraw)
{
    readOnly_ = readOnly;
    if (redraw)
        viewport()->update();
}

void CHexEditBase::SetShowAddress(bool show)
{
    if (show == showAddress_)
        return;
    showAddress_ = show;
    RelayoutAndShowCaret();
}

void CHexEditBase::SetShowAscii(bool show)
{
    if (show == showAscii_)
        return;
    showAscii_ = show;
    RelayoutAndShowCaret();
}

void CHexEditBase::SetAddressDigits(unsigned digits)
{
    addressDigits_ = digits;
    RelayoutAndShowCaret();
}

void CHexEditBase::SetBytesPerRow(unsigned count, bool fitToWidth)
{
    if (count == configuredBytesPerRow_ && fitToWidth == fitToWidth_)
        return;
    configuredBytesPerRow_ = count;
    fitToWidth_ = fitToWidth;
    RelayoutAndShowCaret();
}

void CHexEditBase::SetPreferredRows(unsigned rows)
{
    if (rows == preferredRows_)
        return;
    preferredRows_ = rows;
    updateGeometry();
}

void CHexEditBase::SetAddressColors(const QColor& background, const QColor& text)
{
    colors_.addressBackground = background;
    colors_.addressText = text;
    viewport()->update();
}

void CHexEditBase::SetAsciiColors(const QColor& background, const QColor& text)
{
    colors_.asciiBackground = background;
    colors_.asciiText = text;
    viewport()->update();
}

void CHexEditBase::SetHexColors(const QColor& background, const QColor& text)
{
    colors_.hexBackground = background;
    colors_.hexText = text;
    viewport()->update();
}

void CHexEditBase::SetBackgroundColor(const QColor& color)
{
    colors_.background = color;
    viewport()->update();
}

void CHexEditBase::SetHighlightColors(const QColor& frame, const QColor& fill, const QColor& text)
{
    colors_.highlightFrame = frame;
    colors_.highlightFill = fill;
    colors_.highlightText = text;
    viewport()->update();
}

std::uint32_t CHexEditBase::ClampToBuffer(std::uint32_t index) const
{
    // With an empty buffer Length() - 1 is kNone, so every end becomes none.
    return index != kNone && index >= Length() ? Length() - 1 : index;
}

void CHexEditBase::SetHighlight(std::uint32_t start, std::uint32_t end)
{
    start = ClampToBuffer(start);
    end = ClampToBuffer(end);
    const bool isRange = start != kNone && end != kNone;
    if (isRange && start > end)
        std::swap(start, end);
    const bool changed = start != highlightStart_ || end != highlightEnd_;

    if (isRange && overlayPaint_) {
        if (overlayRanges_.empty() || overlayRanges_.back() != Range{start, end})
            overlayRanges_.emplace_back(start, end);
    } else if (isRange && changed) {
        overlayRanges_.clear();  // a plain highlight replaces the picture
    } else if (!changed) {
        return;
    }

    highlightStart_ = start;
    highlightEnd_ = end;
    // Clearing the highlight must not move the view.
    if (isRange)
        EnsureVisible(start, end, false);
    viewport()->update();
}

void CHexEditBase::SetOverlayPaint(bool overlay)
{
    if (overlay && !overlayPaint_ && !overlayRanges_.empty()) {
        overlayRanges_.clear();  // a new round starts from a clean picture
        viewport()->update();
    }
    overlayPaint_ = overlay;
}

std::vector<CHexEditBase::Range> CHexEditBase::HighlightRanges() const
{
    std::vector<Range> ranges = overlayRanges_;
    const Range current{highlightStart_, highlightEnd_};
    if (current.first != kNone && current.second != kNone &&
        std::find(ranges.begin(), ranges.end(), current) == ranges.end())
        ranges.push_back(current);
    return ranges;
}

void CHexEditBase::SetSelection(std::uint32_t start, std::uint32_t end)
{
    if (start == selectionStart_ && end == selectionEnd_)
        return;
    start = ClampToBuffer(start);
    end = ClampToBuffer(end);
    if (start != kNone && end != kNone && start > end)
        std::swap(start, end);
    selectionStart_ = start;
    selectionEnd_ = end;
    if (HasSelection())
        EnsureVisible(start, end, false);
    viewport()->update();
}

void CHexEditBase::SetCaretIndex(std::uint32_t index, bool highNibble)
{
    // Typing writes at the caret, so it never points past the buffer.
    caretIndex_ = HasBuffer() ? std::min(index, Length() - 1) : 0;
    highNibble_ = highNibble;
    PlaceCaret();
}

void CHexEditBase::Redraw()
{
    viewport()->update();
}

void CHexEditBase::SelectAll()
{
    if (!HasBuffer() || (selectionStart_ == 0 && selectionEnd_ == Length() - 1))
        return;
    selectionStart_ = 0;
    selectionEnd_ = Length() - 1;
    viewport()->update();
}

// ---------------------------------------------------------------------------
// Font and layout

void CHexEditBase::AdoptFont(const QFont& font)
{
    chosenFont_ = font;
    QFont base = font;
    base.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const qreal advance = QFontMetricsF(base).horizontalAdvance(QLatin1Char('0'));
    charWidth_ = std::max(1, qRound(advance));
    // Scalable fonts advance by fractions of a pixel; spacing every character
    // to a whole-pixel cell keeps the digits on the cell grid the geometry
    // computes with.
    font_ = base;
    font_.setLetterSpacing(QFont::AbsoluteSpacing, charWidth_ - advance);
    const QFontMetrics metrics(font_);
    rowHeight_ = std::max(1, metrics.height());
    ascent_ = metrics.ascent();
    RelayoutAndShowCaret();
}

LayoutInput CHexEditBase::ConfiguredLayout() const
{
    LayoutInput in;
    in.charWidth = charWidth_;
    in.rowHeight = rowHeight_;
    in.clientWidth = viewport()->width();
    in.clientHeight = viewport()->height();
    in.showAddress = showAddress_;
    in.showAscii = showAscii_;
    in.addressDigits = addressDigits_;
    in.configuredBytesPerRow = configuredBytesPerRow_;
    in.fitToWidth = fitToWidth_;
    in.length = Length();
    return in;
}

void CHexEditBase::RecalcLayout()
{
    layout_ = ComputeLayout(ConfiguredLayout());
    view_.firstRow = std::min(view_.firstRow, layout_.maxFirstRow);
    view_.horizontalOffset = std::min(view_.horizontalOffset, layout_.maxHorizontalOffset);
    UpdateScrollBars();
}

void CHexEditBase::RelayoutAndShowCaret()
{
    RecalcLayout();
    PlaceCaret();
    updateGeometry();  // columns, digits, bytes per row or font changed the hints
    viewport()->update();
}

QSize CHexEditBase::HintForRows(unsigned rows, unsigned bytesPerRow) const
{
    LayoutInput in = ConfiguredLayout();
    in.configuredBytesPerRow = bytesPerRow;
    in.fitToWidth = false;
    const Layout content = ComputeLayout(in);  // its widths do not depend on the viewport

    const QMargins margins = viewportMargins();
    int width = content.contentWidth + 2 * kTextInset + margins.left() + margins.right() + 2 * frameWidth();
    const int height = static_cast<int>(rows) * content.rowHeight + 2 * kTextInset + margins.top() +
                       margins.bottom() + 2 * frameWidth();
    // The vertical bar takes its width from the text; without room for it a
    // horizontal bar would appear and cover the rows.
    if (rows < content.totalRows && verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        width += verticalScrollBar()->sizeHint().width();
    return {width, height};
}

QSize CHexEditBase::sizeHint() const
{
    std::uint64_t rows = preferredRows_;
    if (rows == 0) {
        const std::uint64_t bpr = std::max(configuredBytesPerRow_, 1u);
        rows = std::clamp<std::uint64_t>((std::uint64_t{Length()} + bpr - 1) / bpr, 1, kMaxHintRows);
    }
    return HintForRows(static_cast<unsigned>(std::min<std::uint64_t>(rows, 4096)), configuredBytesPerRow_);
}

QSize CHexEditBase::minimumSizeHint() const
{
    // Fitting to the width shrinks to one byte per row; otherwise every
    // configured byte of a row stays in view.
    return HintForRows(1, fitToWidth_ ? 1 : configuredBytesPerRow_);
}

void CHexEditBase::UpdateScrollBars()
{
    // Showing or hiding a bar resizes the viewport, which lays out again and
    // lands here re-entrantly; apply again from the outer call instead.
    if (updatingScrollBars_) {
        scrollBarsAgain_ = true;
        return;
    }
    updatingScrollBars_ = true;
    for (int pass = 0; pass < 4; ++pass) {
        scrollBarsAgain_ = false;
        ApplyScrollBars();
        if (!scrollBarsAgain_)
            break;
    }
    updatingScrollBars_ = false;
}

void CHexEditBase::ApplyScrollBars()
{
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, ToScrollValue(layout_.maxFirstRow));
    vertical->setPageStep(std::max(1, ToScrollValue(layout_.fullRows)));
    vertical->setSingleStep(1);
    vertical->setValue(ToScrollValue(view_.firstRow));

    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, layout_.maxHorizontalOffset);
    horizontal->setPageStep(std::max(1, layout_.textRect.width()));
    horizontal->setSingleStep(charWidth_);
    horizontal->setValue(view_.horizontalOffset);
}

void CHexEditBase::scrollContentsBy(int dx, int dy)
{
    // The scroll bars moved, by the user or by ScrollToRow / ScrollToX.
    if (dy != 0)
        view_.firstRow = static_cast<std::uint32_t>(verticalScrollBar()->value());
    if (dx != 0)
        view_.horizontalOffset = horizontalScrollBar()->value();
    PlaceCaret();
    viewport()->update();
}

void CHexEditBase::ScrollToRow(std::int64_t row)
{
    row = std::clamp<std::int64_t>(row, 0, layout_.maxFirstRow);
    if (row != view_.firstRow) {
        view_.firstRow = static_cast<std::uint32_t>(row);
        verticalScrollBar()->setValue(ToScrollValue(view_.firstRow));
        viewport()->update();
    }
    PlaceCaret();
}

void CHexEditBase::ScrollToX(int offset)
{
    offset = std::clamp(offset, 0, layout_.maxHorizontalOffset);
    if (offset != view_.horizontalOffset) {
        view_.horizontalOffset = offset;
        horizontalScrollBar()->setValue(offset);
        viewport()->update();
    }
    PlaceCaret();
}

void CHexEditBase::EnsureVisible(std::uint32_t start, std::uint32_t end, bool redraw)
{
    if (!HasBuffer() || start == kNone || end == kNone)
        return;
    if (const auto row = RowToShow(layout_, view_.firstRow, start, end))
        ScrollToRow(*row);
    if (const auto offset = OffsetToShow(layout_, view_.horizontalOffset, start, end))
        ScrollToX(*offset);
    if (redraw)
        viewport()->update();
}

CaretPosition CHexEditBase::HitTest(QPoint point) const
{
    if (!HasBuffer())
        return {};
    return scriba8::hexedit::HitTest(layout_, view_, point.x(), point.y(), Length());
}

// ---------------------------------------------------------------------------
// Caret

void CHexEditBase::PlaceCaret()
{
    std::optional<PixelRect> box;
    if (HasBuffer() && hasFocus())
        box = CaretBox(layout_, view_, {caretIndex_, highNibble_});
    if (caretBox_)
        viewport()->update(ToQRect(*caretBox_));
    caretBox_ = box;
    // A moved caret shows at once and blinks from there.
    caretBlinkOn_ = true;
    if (!caretBox_) {
        blinkTimer_.stop();
        return;
    }
    viewport()->update(ToQRect(*caretBox_));
    const int flashTime = QApplication::cursorFlashTime();
    if (flashTime > 0)
        blinkTimer_.start(flashTime / 2, this);
}

QRect CHexEditBase::CaretRect() const
{
    return caretBox_ ? ToQRect(*caretBox_) : QRect();
}

void CHexEditBase::MoveCaret(std::int64_t delta, bool highNibble, bool shiftHeld)
{
    if (!HasBuffer())
        return;
    if (!shiftHeld) {
        anchor_ = movingEnd_ = kNone;
        selectionStart_ = selectionEnd_ = kNone;
    }

    const std::int64_t length = Length();
    std::int64_t index = caretIndex_;
    if (delta > 0) {
        index += delta;
        if (index >= length) {
            index = length - 1;
            highNibble = false;
        }
    } else if (delta < 0) {
        if (-delta > index) {
            index = 0;
            highNibble = true;
        } else {
            index += delta;
        }
    }

    const auto newIndex = static_cast<std::uint32_t>(index);
    if (shiftHeld && anchor_ != kNone) {
        movingEnd_ = newIndex;
        selectionStart_ = std::min(anchor_, newIndex);
        selectionEnd_ = std::max(anchor_, newIndex);
    }
    EnsureVisible(newIndex, newIndex, true);
    SetCaretIndex(newIndex, highNibble);
}

void CHexEditBase::TypeDigit(int digit, bool shiftHeld)
{
    std::uint8_t& byte = data_[caretIndex_];
    const auto value = static_cast<std::uint8_t>(digit);
    if (highNibble_) {
        byte = static_cast<std::uint8_t>((byte & 0x0F) | (value << 4));
        MoveCaret(0, false, shiftHeld);
    } else {
        byte = static_cast<std::uint8_t>((byte & 0xF0) | value);
        MoveCaret(1, true, shiftHeld);
    }
    viewport()->update();
    emit Changed();
}

// ---------------------------------------------------------------------------
// Clipboard

void CHexEditBase::Copy()
{
    if (!HasBuffer() || !HasSelection() || selectionEnd_ >= Length())
        return;
    const std::span<const std::uint8_t> selected(data_.data() + selectionStart_,
                                                 selectionEnd_ - selectionStart_ + 1);
    const std::vector<std::uint8_t> form = EncodeBinaryData(selected);
    const std::string text = SelectionText(data_, selectionStart_, selectionEnd_, layout_.bytesPerRow);

    auto* mime = new QMimeData;
    mime->setData(BinaryDataMimeType(),
                  QByteArray(reinterpret_cast<const char*>(form.data()), static_cast<qsizetype>(form.size())));
    mime->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    QApplication::clipboard()->setMimeData(mime);
}

void CHexEditBase::Paste()
{
    if (readOnly_ || !HasBuffer())
        return;
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (mime == nullptr || !mime->hasFormat(BinaryDataMimeType()))
        return;
    const QByteArray raw = mime->data(BinaryDataMimeType());
    const std::span<const std::uint8_t> form(reinterpret_cast<const std::uint8_t*>(raw.constData()),
                                             static_cast<std::size_t>(raw.size()));
    const std::span<const std::uint8_t> bytes = DecodeBinaryData(form);

    // The count in the data is not trusted: take what the data holds and what
    // fits from the target to the end of the buffer.
    const std::uint32_t target = HasSelection() ? selectionStart_ : caretIndex_;
    const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), Length() - target));
    if (count == 0)
        return;
    std::copy_n(bytes.begin(), count, data_.begin() + target);

    const std::uint32_t last = target + count - 1;
    if (selectionStart_ != target || selectionEnd_ != last)
        SetSelection(target, last);
    SetCaretIndex(last, false);
    viewport()->update();
    emit Changed();
}
