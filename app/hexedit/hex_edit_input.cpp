// SPDX-License-Identifier: MIT
// Keyboard, mouse, wheel, timers and focus of CHexEditBase.
#include "hex_edit_base.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

using namespace scriba8::hexedit;

namespace {

constexpr int kAutoScrollPeriodMs = 5;
constexpr int kWheelNotch = 120;

bool IsEditShortcut(const QKeyEvent* key)
{
    return key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::Copy) ||
           key->matches(QKeySequence::Paste);
}

// 0..15 for a hex digit (either case), -1 for anything else.
int HexDigitValue(const QString& text)
{
    if (text.size() != 1 || text.at(0).unicode() >= 256)
        return -1;
    const char16_t c = text.at(0).toLower().unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

bool CHexEditBase::event(QEvent* event)
{
    // Ctrl+A/C/V belong to the widget while it has the focus, even when a
    // window around it defines the same shortcuts.
    if (event->type() == QEvent::ShortcutOverride && IsEditShortcut(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void CHexEditBase::keyPressEvent(QKeyEvent* event)
{
    // Every key stays here: Enter and Escape must not reach a dialog's
    // default or cancel button while the operator edits bytes.
    event->accept();
    if (event->matches(QKeySequence::SelectAll))
        return SelectAll();
    if (event->matches(QKeySequence::Copy))
        return Copy();
    if (event->matches(QKeySequence::Paste))
        return Paste();

    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier) || event->key() == Qt::Key_Shift;
    if (shift && anchor_ == kNone)
        anchor_ = caretIndex_;

    const std::int64_t row = layout_.bytesPerRow;
    const std::int64_t page = (std::max(layout_.visibleRows, 1u) - 1) * row;
    const std::int64_t whole = Length();
    switch (event->key()) {
    case Qt::Key_Left:
        return highNibble_ ? MoveCaret(-1, false, shift) : MoveCaret(0, true, shift);
    case Qt::Key_Right:
        return highNibble_ ? MoveCaret(0, false, shift) : MoveCaret(1, true, shift);
    case Qt::Key_Up:
        return MoveCaret(-row, highNibble_, shift);
    case Qt::Key_Down:
        return MoveCaret(row, highNibble_, shift);
    case Qt::Key_PageUp:
        return MoveCaret(-page, highNibble_, shift);
    case Qt::Key_PageDown:
        return MoveCaret(page, highNibble_, shift);
    case Qt::Key_Home:
        return MoveCaret(-whole, true, shift);
    case Qt::Key_End:
        return MoveCaret(whole, false, shift);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        focusNextPrevChild(event->key() == Qt::Key_Tab && !shift);
        return;
    default:
        break;
    }

    if (readOnly_ || !HasBuffer())
        return;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return;
    const int digit = HexDigitValue(event->text());
    if (digit >= 0)
        TypeDigit(digit, shift);
}

void CHexEditBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    if (!HasBuffer())
        return;

    const QPoint point = event->position().toPoint();
    const CaretPosition hit = HitTest(point);
    SetCaretIndex(hit.index, hit.highNibble);

    // Small movements right after the press still count as a click.
    const int cx = QApplication::startDragDistance();
    const int cy = cx;
    dragThreshold_ = {point.x() - cx / 2, point.y() - cy / 2, point.x() + cx / 2 + cx % 2,
                      point.y() + cy / 2 + cy % 2};
    selectionStart_ = selectionEnd_ = kNone;
    movingEnd_ = kNone;
    anchor_ = caretIndex_;
    viewport()->update();
}

void CHexEditBase::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !HasBuffer() || anchor_ == kNone)
        return;
    const QPoint point = event->position().toPoint();
    if (dragThreshold_.contains(point.x(), point.y()))
        return;
    dragThreshold_ = {-1, -1, -1, -1};  // from now on every move counts

    const PixelRect& text = layout_.textRect;
    if (text.contains(point.x(), point.y())) {
        StopAutoScroll();
    } else {
        // The closer to the text, the slower: a step every 2 to 8 ticks.
        autoScrollPoint_ = point;
        int distance = 0;
        int direction = 0;
        if (point.y() < text.top) {
            distance = text.top - point.y() + 1;
            direction = -1;
        } else if (point.y() >= text.bottom) {
            distance = point.y() - text.bottom + 1;
            direction = 1;
        }
        if (direction != 0) {
            autoScrollPace_ = static_cast<std::uint16_t>(7 - std::min(distance / 5, 6));
            autoScrollDirection_ = direction;
            if (!autoScrollActive_)
                StartAutoScroll();
        }
    }

    const CaretPosition hit = HitTest(point);
    SetCaretIndex(hit.index, hit.highNibble);
    SelectFromAnchorToCaret();
    viewport()->update();
}

void CHexEditBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    StopAutoScroll();
    viewport()->update();
}

void CHexEditBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    if (!HasBuffer())
        return;
    const CaretPosition hit = HitTest(event->position().toPoint());
    SetCaretIndex(hit.index, hit.highNibble);
    const bool onHighlight = highlightStart_ != kNone && highlightEnd_ != kNone &&
                             highlightStart_ <= caretIndex_ && caretIndex_ <= highlightEnd_;
    selectionStart_ = onHighlight ? highlightStart_ : caretIndex_;
    selectionEnd_ = onHighlight ? highlightEnd_ : caretIndex_;
    viewport()->update();
}

void CHexEditBase::SelectFromAnchorToCaret()
{
    movingEnd_ = caretIndex_;
    selectionStart_ = std::min(anchor_, caretIndex_);
    selectionEnd_ = std::max(anchor_, caretIndex_);
}

void CHexEditBase::StartAutoScroll()
{
    autoScrollActive_ = true;
    autoScrollCountdown_ = autoScrollPace_;
    autoScrollTimer_.start(kAutoScrollPeriodMs, this);
}

void CHexEditBase::StopAutoScroll()
{
    autoScrollTimer_.stop();
    autoScrollActive_ = false;
}

void CHexEditBase::AutoScrollStep()
{
    // The release may have gone to another window (a message box raised
    // during the drag takes it): without the button the drag is over.
    if (!HasBuffer() || !autoScrollActive_ || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        StopAutoScroll();
        return;
    }
    if (autoScrollCountdown_ > 0) {
        --autoScrollCountdown_;
        return;
    }
    autoScrollCountdown_ = autoScrollPace_;
    ScrollToRow(std::int64_t{view_.firstRow} + autoScrollDirection_);
    const CaretPosition hit = HitTest(autoScrollPoint_);
    SetCaretIndex(hit.index, hit.highNibble);
    if (anchor_ != kNone)
        SelectFromAnchorToCaret();
    viewport()->update();
}

void CHexEditBase::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == autoScrollTimer_.timerId()) {
        AutoScrollStep();
    } else if (event->timerId() == blinkTimer_.timerId()) {
        caretBlinkOn_ = !caretBlinkOn_;
        viewport()->update(CaretRect());
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void CHexEditBase::wheelEvent(QWheelEvent* event)
{
    // A view with nothing to scroll leaves the wheel to the window around
    // it, so a sheet of one-row fields still scrolls under the pointer.
    const int delta = event->angleDelta().y();
    if (delta == 0 || !HasBuffer() || layout_.maxFirstRow == 0) {
        event->ignore();
        return;
    }
    event->accept();
    // A mouse wheel sends whole notches; touchpads send parts of one, which
    // add up until they make a row.
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    if (notches != 0)
        ScrollToRow(std::int64_t{view_.firstRow} - notches);
}

void CHexEditBase::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (!HasBuffer())
        return;
    PlaceCaret();
    viewport()->update();  // the selection changes to its focused colours
}

void CHexEditBase::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    StopAutoScroll();
    blinkTimer_.stop();
    caretBox_.reset();
    viewport()->update();  // drops the caret; the selection turns unfocused
}

void CHexEditBase::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    RecalcLayout();
    PlaceCaret();
}

void CHexEditBase::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();  // no menu: copy and paste are on the keyboard
}

void CHexEditBase::hideEvent(QHideEvent* event)
{
    QAbstractScrollArea::hideEvent(event);
    StopAutoScroll();
}

void CHexEditBase::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        StopAutoScroll();
    if (event->type() != QEvent::FontChange)
        return;
    const QFont given = font();
    if (given == chosenFont_)
        return;
    if (QFontInfo(given).fixedPitch())
        AdoptFont(given);
    else
        setFont(chosenFont_);  // digits must line up: keep the fixed font
}
