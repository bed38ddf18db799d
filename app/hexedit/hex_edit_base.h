// SPDX-License-Identifier: MIT
// CHexEditBase: the hex view and editor of one fixed-length byte buffer, used
// by the buffer tabs and the engineer sheets.
//
// The widget keeps a private copy of the bytes (SetData in, GetData out) and
// shows them as rows of two-digit hex values, optionally with an address
// column before and an ASCII column after. The operator moves a block caret
// nibble by nibble, selects with Shift or the mouse, overwrites nibbles by
// typing hex digits and copies or pastes; nothing ever inserts, deletes or
// resizes. Changed() is emitted after each typed digit and each paste of at
// least one byte, never by SetData or the setters.
//
// Overlay painting: while SetOverlayPaint(true) is in force, every
// SetHighlight adds its range to the ranges shown instead of replacing the
// highlight, so a host can mark many scattered bytes one call at a time.
// Clearing the flag keeps those ranges on screen, also through a later
// SetHighlight(kNone, kNone), until the next change: SetData, the start of a
// new overlay round, or a SetHighlight of a range with the flag clear.
//
// The font is the system fixed-pitch font; a proportional font given to the
// widget is ignored. A buffer of length 0 behaves as no buffer.
#pragma once

#include "hex_geometry.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QFont>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

class CHexEditBase : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr std::uint32_t kNone = scriba8::hexedit::kNone;

    explicit CHexEditBase(QWidget* parent = nullptr);
    ~CHexEditBase() override;

    // The buffer. SetData(nullptr, 0) leaves the widget without a buffer.
    void SetData(const std::uint8_t* bytes, std::uint32_t length);
    // Copies up to maximum bytes; returns the full length (0 without a buffer).
    std::uint32_t GetData(std::uint8_t* destination, std::uint32_t maximum) const;
    std::uint32_t Length() const { return static_cast<std::uint32_t>(data_.size()); }

    virtual void SetReadOnly(bool readOnly, bool redraw = true);
    bool IsReadOnly() const { return readOnly_; }

    void SetShowAddress(bool show);
    void SetShowAscii(bool show);
    void SetAddressDigits(unsigned digits);
    void SetBytesPerRow(unsigned count, bool fitToWidth);
    // Rows the size hint asks room for; 0 (the default): the rows the buffer
    // needs, 1 to kMaxHintRows.
    void SetPreferredRows(unsigned rows);
    static constexpr unsigned kMaxHintRows = 16;

    // Room for the configured columns and bytes per row without a horizontal
    // scroll bar: the preferred rows, at least one row.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void SetAddressColors(const QColor& background, const QColor& text);
    void SetAsciiColors(const QColor& background, const QColor& text);
    void SetHexColors(const QColor& background, const QColor& text);
    void SetBackgroundColor(const QColor& color);
    void SetHighlightColors(const QColor& frame, const QColor& fill, const QColor& text);

    // Inclusive ranges; kNone for "none". Ends past the buffer are pulled in
    // to its last byte.
    void SetHighlight(std::uint32_t start, std::uint32_t end);
    void SetSelection(std::uint32_t start, std::uint32_t end);
    bool HasSelection() const { return selectionStart_ != kNone && selectionEnd_ != kNone; }
    std::uint32_t SelectionStart() const { return selectionStart_; }
    std::uint32_t SelectionEnd() const { return selectionEnd_; }
    std::uint32_t HighlightStart() const { return highlightStart_; }
    std::uint32_t HighlightEnd() const { return highlightEnd_; }

    void SetCaretIndex(std::uint32_t index, bool highNibble);
    std::uint32_t CaretIndex() const { return caretIndex_; }
    bool CaretOnHighNibble() const { return highNibble_; }

    void EnsureVisible(std::uint32_t start, std::uint32_t end, bool redraw);
    void SetOverlayPaint(bool overlay);
    void Redraw();

    void SelectAll();
    void Copy();
    void Paste();

    // Byte and nibble under a viewport point (the buffer must not be empty).
    scriba8::hexedit::CaretPosition HitTest(QPoint point) const;
    const scriba8::hexedit::Layout& CurrentLayout() const { return layout_; }
    std::uint32_t FirstVisibleRow() const { return view_.firstRow; }
    int HorizontalOffset() const { return view_.horizontalOffset; }
    // Where the caret is drawn, in viewport pixels; empty while it is hidden.
    QRect CaretRect() const;

    // Clipboard type of the "BinaryData" form. On Windows Qt maps it to the
    // registered clipboard format of that name.
    static QString BinaryDataMimeType();

signals:
    void Changed();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Colors {
        QColor addressBackground{90, 0, 0};
        QColor addressText{255, 0, 0};
        QColor asciiBackground{0, 20, 0};
        QColor asciiText{0, 255, 0};
        QColor highlightFill{0, 90, 210};
        QColor highlightText{0, 200, 0};
        QColor highlightFrame{0, 255, 255};
        QColor hexText{0, 0, 255};
        QColor hexBackground{180, 210, 190};
        QColor background{210, 210, 210};
        QColor selectionText;
        QColor selectionBackground;
        QColor focusedSelectionText;
        QColor focusedSelectionBackground;
    };
    using Range = std::pair<std::uint32_t, std::uint32_t>;

    bool HasBuffer() const { return !data_.empty(); }
    std::uint32_t ClampToBuffer(std::uint32_t index) const;
    scriba8::hexedit::LayoutInput ConfiguredLayout() const;
    void RecalcLayout();
    void RelayoutAndShowCaret();
    QSize HintForRows(unsigned rows, unsigned bytesPerRow) const;
    void UpdateScrollBars();
    void ApplyScrollBars();
    void PlaceCaret();
    void MoveCaret(std::int64_t delta, bool highNibble, bool shiftHeld);
    void TypeDigit(int digit, bool shiftHeld);
    void ScrollToRow(std::int64_t row);
    void ScrollToX(int offset);
    void SelectFromAnchorToCaret();
    void StartAutoScroll();
    void StopAutoScroll();
    void AutoScrollStep();
    void AdoptFont(const QFont& font);
    std::vector<Range> HighlightRanges() const;

    void PaintAddressColumn(QPainter& painter) const;
    void PaintHexColumn(QPainter& painter) const;
    void PaintAsciiColumn(QPainter& painter) const;
    void PaintCaret(QPainter& painter) const;

    std::vector<std::uint8_t> data_;
    bool readOnly_ = false;
    bool showAddress_ = false;
    bool showAscii_ = false;
    bool fitToWidth_ = false;
    unsigned addressDigits_ = 8;
    unsigned configuredBytesPerRow_ = 16;
    unsigned preferredRows_ = 0;

    std::uint32_t highlightStart_ = kNone;
    std::uint32_t highlightEnd_ = kNone;
    bool overlayPaint_ = false;
    std::vector<Range> overlayRanges_;  // kept from the last overlay round

    std::uint32_t selectionStart_ = kNone;
    std::uint32_t selectionEnd_ = kNone;
    std::uint32_t anchor_ = kNone;
    std::uint32_t movingEnd_ = kNone;
    std::uint32_t caretIndex_ = 0;
    bool highNibble_ = true;

    scriba8::hexedit::Layout layout_;
    scriba8::hexedit::ViewPosition view_;
    bool updatingScrollBars_ = false;
    bool scrollBarsAgain_ = false;

    QFont chosenFont_;  // as given to the widget
    QFont font_;        // the same, spaced to whole-pixel character cells
    int charWidth_ = 1;
    int rowHeight_ = 1;
    int ascent_ = 0;
    Colors colors_;

    std::optional<scriba8::hexedit::PixelRect> caretBox_;
    bool caretBlinkOn_ = true;
    QBasicTimer blinkTimer_;

    scriba8::hexedit::PixelRect dragThreshold_;
    QPoint autoScrollPoint_;
    int autoScrollDirection_ = 0;
    std::uint16_t autoScrollPace_ = 0;
    std::uint16_t autoScrollCountdown_ = 0;
    bool autoScrollActive_ = false;
    QBasicTimer autoScrollTimer_;

    int wheelRemainder_ = 0;  // part of a notch from high-resolution wheels
};
