// SPDX-License-Identifier: MIT
// What CHexEditBase paints, checked at known pixels of a grab of its viewport.
// The main grab is kept as hexedit_grab.png in the test's build folder.
#include "hexedit_test_support.h"

#include <QImage>
#include <QLineEdit>
#include <QPixmap>

using hexedit_test::Counting;
using hexedit_test::Harness;

namespace {

constexpr std::uint32_t kNone = CHexEditBase::kNone;

const QColor kBackground(10, 20, 30);
const QColor kAddressBackground(60, 60, 60);
const QColor kAsciiBackground(70, 80, 90);
const QColor kHexBackground(240, 240, 240);
const QColor kHighlightFrame(255, 0, 0);
const QColor kHighlightFill(255, 190, 190);

QImage Grab(const CHexEditBase& editor)
{
    return editor.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor At(const QImage& image, QPoint point)
{
    return image.pixelColor(point);
}

QColor Inverted(const QColor& c)
{
    return {255 - c.red(), 255 - c.green(), 255 - c.blue()};
}

void Configure(CHexEditBase& e)
{
    e.SetBackgroundColor(kBackground);
    e.SetAddressColors(kAddressBackground, Qt::white);
    e.SetAsciiColors(kAsciiBackground, Qt::white);
    e.SetHexColors(kHexBackground, Qt::black);
    e.SetHighlightColors(kHighlightFrame, kHighlightFill, Qt::black);
}

} // namespace

class HexPaintTest : public QObject {
    Q_OBJECT

    // Middle of the space after byte index (which must not end its row).
    static QPoint SpaceAfter(const Harness& h, std::uint32_t index) { return h.DigitPoint(index, 2); }
    // Just left of the first digit of a byte: inside a highlight frame.
    static QPoint BeforeDigits(const Harness& h, std::uint32_t index)
    {
        return h.DigitPoint(index) - QPoint(h.cw() / 2 + 1, 0);
    }

private slots:
    void initTestCase() { QApplication::setCursorFlashTime(0); }  // a caret that never blinks off

    void grabShowsColumnsSelectionHighlightAndCaret()
    {
        Harness h(620, 260, Counting(512));
        CHexEditBase* e = h.editor;
        auto* other = h.AddBelow<QLineEdit>();
        e->SetShowAddress(true);
        e->SetAddressDigits(6);
        e->SetShowAscii(true);
        Configure(*e);
        e->SetSelection(0x20, 0x2B);
        e->SetHighlight(0x43, 0x56);
        e->setFocus();

        const QImage image = Grab(*e);
        QVERIFY(image.save(QStringLiteral("hexedit_grab.png")));
        const auto& l = e->CurrentLayout();
        QCOMPARE(l.addressWidth, 6 * h.cw() + 5);

        QCOMPARE(At(image, {1, 1}), kBackground);
        const int rowMiddle = l.textRect.top + h.rh() / 2;
        QCOMPARE(At(image, {l.textRect.left + 1, l.textRect.top}), kAddressBackground);
        QCOMPARE(At(image, {l.textRect.left + l.addressWidth - 2, rowMiddle}), kBackground);  // gap
        QCOMPARE(At(image, SpaceAfter(h, 0x02)), kHexBackground);
        QCOMPARE(At(image, {l.textRect.left + l.hexX + l.hexWidth - 2, rowMiddle}), kBackground);
        // Row 0 holds no printable bytes: its ASCII text is dots on the baseline.
        QCOMPARE(At(image, {l.textRect.left + l.asciiX + h.cw() / 2, rowMiddle}), kAsciiBackground);

        const QColor focusedSelection = e->palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(At(image, SpaceAfter(h, 0x21)), focusedSelection);
        QCOMPARE(At(image, SpaceAfter(h, 0x2B)), kHexBackground);  // the run ends after the digits
        QCOMPARE(At(image, SpaceAfter(h, 0x45)), kHighlightFill);
        QCOMPARE(At(image, SpaceAfter(h, 0x55)), kHighlightFill);
        QCOMPARE(At(image, SpaceAfter(h, 0x42)), kHexBackground);
        const QPoint frameLeft(h.DigitPoint(0x43).x() - h.cw() / 2 - 2, h.DigitPoint(0x43).y());
        QCOMPARE(At(image, frameLeft), kHighlightFrame);

        // The block caret inverts the cell of byte 0's high nibble.
        const QRect caret = e->CaretRect();
        QCOMPARE(caret, QRect(l.textRect.left + l.hexX, l.textRect.top + 1, h.cw(), h.rh() - 1));
        QCOMPARE(At(image, caret.topLeft()), Inverted(kHexBackground));

        // Without the focus: no caret, the selection in the unfocused colours.
        other->setFocus();
        const QImage unfocused = Grab(*e);
        QCOMPARE(At(unfocused, caret.topLeft()), kHexBackground);
        QCOMPARE(At(unfocused, SpaceAfter(h, 0x21)), e->palette().color(QPalette::Active, QPalette::Button));
    }

    void digitsStayOnTheCellGrid()
    {
        // Fonts advance by fractions of a pixel; byte 15 must look exactly
        // like byte 0 when both hold the same value.
        Harness h(620, 100, std::vector<std::uint8_t>(64, 0x8B));
        Configure(*h.editor);
        h.editor->clearFocus();
        const QImage image = Grab(*h.editor);
        const QPoint first = h.DigitPoint(0) - QPoint(h.cw() / 2, h.rh() / 2);
        const QPoint last = h.DigitPoint(15) - QPoint(h.cw() / 2, h.rh() / 2);
        const QSize cell(2 * h.cw(), h.rh());
        QCOMPARE(image.copy(QRect(last, cell)), image.copy(QRect(first, cell)));
        QVERIFY(image.copy(QRect(first, cell)) != QImage(cell, image.format()));
    }

    void overlayKeepsEveryHighlightUntilTheNextChange()
    {
        Harness h(620, 100, Counting(64));
        CHexEditBase* e = h.editor;
        Configure(*e);
        e->clearFocus();

        e->SetOverlayPaint(true);
        e->SetHighlight(2, 2);
        e->SetHighlight(7, 7);
        QImage image = Grab(*e);
        QCOMPARE(At(image, BeforeDigits(h, 2)), kHighlightFill);
        QCOMPARE(At(image, BeforeDigits(h, 7)), kHighlightFill);

        e->SetOverlayPaint(false);
        e->SetHighlight(kNone, kNone);
        image = Grab(*e);
        QCOMPARE(At(image, BeforeDigits(h, 2)), kHighlightFill);
        QCOMPARE(At(image, BeforeDigits(h, 7)), kHighlightFill);

        e->SetHighlight(3, 3);  // a plain highlight replaces the picture
        image = Grab(*e);
        QCOMPARE(At(image, BeforeDigits(h, 2)), kHexBackground);
        QCOMPARE(At(image, BeforeDigits(h, 3)), kHighlightFill);
        QCOMPARE(At(image, BeforeDigits(h, 7)), kHexBackground);

        // A new round starts clean, and SetData clears everything.
        e->SetOverlayPaint(true);
        e->SetHighlight(9, 9);
        e->SetOverlayPaint(false);
        image = Grab(*e);
        QCOMPARE(At(image, BeforeDigits(h, 9)), kHighlightFill);
        const std::vector<std::uint8_t> bytes = Counting(64);
        e->SetData(bytes.data(), 64);
        image = Grab(*e);
        QCOMPARE(At(image, BeforeDigits(h, 3)), kHexBackground);
        QCOMPARE(At(image, BeforeDigits(h, 9)), kHexBackground);
    }

    void noBufferPaintsOnlyTheBackground()
    {
        Harness h(300, 100, {});
        CHexEditBase* e = h.editor;
        Configure(*e);
        e->SetShowAddress(true);
        e->SetShowAscii(true);
        const QImage image = Grab(*e);
        QImage expected(image.size(), image.format());
        expected.fill(kBackground);
        QCOMPARE(image, expected);
    }
};

QTEST_MAIN(HexPaintTest)
#include "hexedit_paint_test.moc"
