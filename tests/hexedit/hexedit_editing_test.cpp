// SPDX-License-Identifier: MIT
// Editing behaviour of CHexEditBase driven through its events: caret keys,
// typing, selection, clipboard, mouse, wheel, shortcuts and fonts.
#include "hexedit_test_support.h"

#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>

using hexedit_test::Contents;
using hexedit_test::Counting;
using hexedit_test::Harness;

namespace {

constexpr std::uint32_t kNone = CHexEditBase::kNone;

void PutBinaryOnClipboard(std::uint32_t count, const QByteArray& bytes)
{
    QByteArray form;
    for (int shift = 0; shift < 32; shift += 8)
        form.append(static_cast<char>(count >> shift));
    auto* mime = new QMimeData;
    mime->setData(CHexEditBase::BinaryDataMimeType(), form + bytes);
    QApplication::clipboard()->setMimeData(mime);
}

QByteArray ClipboardBinary()
{
    return QApplication::clipboard()->mimeData()->data(CHexEditBase::BinaryDataMimeType());
}

void SendMove(QWidget* viewport, QPoint point)
{
    QMouseEvent move(QEvent::MouseMove, point, viewport->mapToGlobal(point), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

void SendWheel(QWidget* viewport, int delta)
{
    const QPoint at(20, 20);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

} // namespace

class HexEditingTest : public QObject {
    Q_OBJECT

private slots:
    void caretKeysMoveAndStopAtTheEnds()
    {
        Harness h(600, 100, Counting(512));
        CHexEditBase* e = h.editor;
        h.SetEditorHeight(Harness::HeightForRows(3, h.rh()));
        QCOMPARE(e->CurrentLayout().visibleRows, 3u);

        QTest::keyClick(e, Qt::Key_Left);
        QCOMPARE(e->CaretIndex(), 0u);
        QVERIFY(e->CaretOnHighNibble());
        QTest::keyClick(e, Qt::Key_PageDown);
        QCOMPARE(e->CaretIndex(), 32u);
        QCOMPARE(e->FirstVisibleRow(), 0u);  // row 2 is the last full row
        // Column 0 of the row below the view scrolls it into view.
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(e->CaretIndex(), 48u);
        QCOMPARE(e->FirstVisibleRow(), 1u);
        QVERIFY(!e->CaretRect().isEmpty());
        QTest::keyClick(e, Qt::Key_PageUp);
        QCOMPARE(e->CaretIndex(), 16u);

        QTest::keyClick(e, Qt::Key_End);
        QCOMPARE(e->CaretIndex(), 511u);
        QVERIFY(!e->CaretOnHighNibble());
        QCOMPARE(e->FirstVisibleRow(), 29u);
        QTest::keyClick(e, Qt::Key_Right);
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(e->CaretIndex(), 511u);
        QVERIFY(!e->CaretOnHighNibble());
        QTest::keyClick(e, Qt::Key_Home);
        QCOMPARE(e->CaretIndex(), 0u);
        QCOMPARE(e->FirstVisibleRow(), 0u);
    }

    void typingOverwritesNibbles()
    {
        Harness h(600, 200, std::vector<std::uint8_t>(40, 0x00));
        CHexEditBase* e = h.editor;
        QSignalSpy changed(e, &CHexEditBase::Changed);

        QTest::keyClicks(e, "a");
        QCOMPARE(Contents(*e)[0], 0xA0);
        QCOMPARE(changed.count(), 1);
        QTest::keyClicks(e, "5");
        QCOMPARE(Contents(*e)[0], 0xA5);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(e->CaretIndex(), 1u);
        QVERIFY(e->CaretOnHighNibble());

        QTest::keyClicks(e, "g ");  // not hex digits
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClick(e, Qt::Key_5, Qt::ControlModifier);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(Contents(*e)[1], 0x00);

        // On the last byte the caret stays on its low nibble; a host index
        // past the end lands there too.
        e->SetCaretIndex(1000, true);
        QCOMPARE(e->CaretIndex(), 39u);
        QTest::keyClicks(e, "7e");
        QCOMPARE(Contents(*e)[39], 0x7E);
        QTest::keyClicks(e, "F");
        QCOMPARE(Contents(*e)[39], 0x7F);
        QCOMPARE(e->CaretIndex(), 39u);
        QVERIFY(!e->CaretOnHighNibble());
        QCOMPARE(changed.count(), 5);
    }

    void readOnlyRefusesEditsOnly()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        e->SetReadOnly(true, true);
        QSignalSpy changed(e, &CHexEditBase::Changed);
        PutBinaryOnClipboard(2, QByteArray(2, '\xEE'));

        QTest::keyClicks(e, "ab");
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Contents(*e), Counting(40));
        QCOMPARE(changed.count(), 0);

        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(e->SelectionEnd(), 1u);
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("00 01\n"));
    }

    void shiftExtendsFromTheAnchor()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        e->SetCaretIndex(5, true);
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(e->SelectionStart(), 5u);
        QCOMPARE(e->SelectionEnd(), 5u);
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(e->SelectionEnd(), 6u);
        QTest::keyClick(e, Qt::Key_Up, Qt::ShiftModifier);  // across the anchor
        QCOMPARE(e->SelectionStart(), 0u);
        QCOMPARE(e->SelectionEnd(), 5u);

        QTest::keyClick(e, Qt::Key_Right);
        QVERIFY(!e->HasSelection());
        const std::uint32_t caret = e->CaretIndex();  // a new run anchors here
        QTest::keyClick(e, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(e->SelectionStart(), caret);
        QCOMPARE(e->SelectionEnd(), caret + 16);
    }

    void copyOffersTextAndBinaryForms()
    {
        std::vector<std::uint8_t> bytes = Counting(64);
        bytes[0] = 0x12;
        bytes[1] = 0x34;
        bytes[2] = 0x56;
        Harness h(600, 200, bytes);
        CHexEditBase* e = h.editor;

        e->SetSelection(0, 2);
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("12 34 56\n"));
        QCOMPARE(ClipboardBinary(), QByteArray("\x03\0\0\0\x12\x34\x56", 7));

        e->SetSelection(4, 23);
        e->Copy();
        const QString twenty = QString(12, u' ') + QStringLiteral("04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n") +
                               QStringLiteral("10 11 12 13 14 15 16 17\n");
        QCOMPARE(QApplication::clipboard()->text(), twenty);
        QCOMPARE(ClipboardBinary().size(), 24);

        e->SetSelection(kNone, kNone);  // nothing to copy: the clipboard stays
        e->Copy();
        QCOMPARE(QApplication::clipboard()->text(), twenty);
    }

    void pasteWritesOnlyWhatIsThereAndFits()
    {
        Harness h(600, 200, std::vector<std::uint8_t>(40, 0x00));
        CHexEditBase* e = h.editor;
        QSignalSpy changed(e, &CHexEditBase::Changed);

        PutBinaryOnClipboard(10, QByteArray(10, '\xEE'));
        e->SetCaretIndex(36, true);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        std::vector<std::uint8_t> expected(40, 0x00);
        std::fill(expected.begin() + 36, expected.end(), 0xEE);
        QCOMPARE(Contents(*e), expected);
        QCOMPARE(e->SelectionStart(), 36u);
        QCOMPARE(e->SelectionEnd(), 39u);
        QCOMPARE(e->CaretIndex(), 39u);
        QVERIFY(!e->CaretOnHighNibble());
        QCOMPARE(changed.count(), 1);

        // Onto a selection's start; a count larger than the data is not
        // believed.
        PutBinaryOnClipboard(1000, QByteArray(3, '\x77'));
        e->SetSelection(2, 9);
        e->Paste();
        QCOMPARE(Contents(*e)[4], 0x77);
        QCOMPARE(Contents(*e)[5], 0x00);
        QCOMPARE(e->SelectionStart(), 2u);
        QCOMPARE(e->SelectionEnd(), 4u);
        QCOMPARE(changed.count(), 2);

        // Nothing to paste changes nothing and notifies nobody.
        const std::vector<std::uint8_t> before = Contents(*e);
        PutBinaryOnClipboard(0, QByteArray(5, '\x55'));
        e->Paste();
        QApplication::clipboard()->setText(QStringLiteral("AA BB"));
        e->Paste();
        QCOMPARE(Contents(*e), before);
        QCOMPARE(e->SelectionEnd(), 4u);
        QCOMPARE(changed.count(), 2);
    }

    void mouseClicksAndDrags()
    {
        Harness h(600, 200, Counting(128));
        CHexEditBase* e = h.editor;
        e->SetHighlight(20, 27);
        QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(22));
        QCOMPARE(e->SelectionStart(), 20u);
        QCOMPARE(e->SelectionEnd(), 27u);
        QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(5, 1));
        QCOMPARE(e->SelectionStart(), 5u);
        QCOMPARE(e->SelectionEnd(), 5u);
        QVERIFY(!e->CaretOnHighNibble());

        QTest::mousePress(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(2));
        QCOMPARE(e->CaretIndex(), 2u);
        QVERIFY(!e->HasSelection());
        SendMove(e->viewport(), h.DigitPoint(2) + QPoint(1, 1));
        QVERIFY(!e->HasSelection());  // inside the drag threshold: still a click
        SendMove(e->viewport(), h.DigitPoint(17));
        QCOMPARE(e->SelectionStart(), 2u);
        QCOMPARE(e->SelectionEnd(), 17u);
        SendMove(e->viewport(), h.DigitPoint(2) + QPoint(1, 1));  // every move counts now
        QCOMPARE(e->SelectionEnd(), 2u);
        QTest::mouseRelease(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(2));
    }

    void dragOutsideTheTextScrollsUntilBack()
    {
        Harness h(600, 120, Counting(4096));
        CHexEditBase* e = h.editor;
        h.Press(h.DigitPoint(1));
        h.MoveTo(QPoint(100, e->viewport()->height() + 30));
        QTRY_VERIFY(e->FirstVisibleRow() >= 3);
        QCOMPARE(e->SelectionStart(), 1u);
        QVERIFY(e->SelectionEnd() > 16 * (e->FirstVisibleRow() + 1));

        h.MoveTo(QPoint(100, 20));  // back inside: scrolling stops
        const std::uint32_t row = e->FirstVisibleRow();
        QTest::qWait(100);
        QCOMPARE(e->FirstVisibleRow(), row);

        h.MoveTo(QPoint(100, -3));
        QTRY_VERIFY(e->FirstVisibleRow() < row);
        h.Release(QPoint(100, -3));
    }

    void wheelScrollsWholeNotchesWithinRange()
    {
        Harness h(600, 100, Counting(512));
        CHexEditBase* e = h.editor;
        h.SetEditorHeight(Harness::HeightForRows(5, h.rh()));
        QCOMPARE(e->CurrentLayout().maxFirstRow, 27u);

        SendWheel(e->viewport(), 120);
        QCOMPARE(e->FirstVisibleRow(), 0u);
        SendWheel(e->viewport(), -120);
        QCOMPARE(e->FirstVisibleRow(), 1u);
        SendWheel(e->viewport(), -60);
        QCOMPARE(e->FirstVisibleRow(), 1u);
        SendWheel(e->viewport(), -60);
        QCOMPARE(e->FirstVisibleRow(), 2u);
        SendWheel(e->viewport(), -120 * 100);
        QCOMPARE(e->FirstVisibleRow(), 27u);
        QCOMPARE(e->verticalScrollBar()->value(), 27);
        QCOMPARE(e->verticalScrollBar()->pageStep(), 5);

        e->verticalScrollBar()->setValue(4);
        QCOMPARE(e->FirstVisibleRow(), 4u);
    }

    void shortcutsBelongToTheEditorAndTabLeavesIt()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        auto* next = h.AddBelow<QLineEdit>();
        auto* windowSelectAll = new QAction(h.window.get());
        windowSelectAll->setShortcut(QKeySequence::SelectAll);
        h.window->addAction(windowSelectAll);
        QSignalSpy triggered(windowSelectAll, &QAction::triggered);

        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(triggered.count(), 0);
        QCOMPARE(e->SelectionStart(), 0u);
        QCOMPARE(e->SelectionEnd(), 39u);
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ClipboardBinary().size(), 44);
        e->SetSelection(kNone, kNone);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);  // the same bytes back
        QCOMPARE(Contents(*e), Counting(40));
        QCOMPARE(e->SelectionEnd(), 39u);

        QTest::keyClick(e, Qt::Key_Tab);
        QVERIFY(next->hasFocus());
        QVERIFY(e->CaretRect().isEmpty());
        QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(e->hasFocus());
        QVERIFY(!e->CaretRect().isEmpty());
    }

    void setDataStartsOverWithoutNotifying()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        QSignalSpy changed(e, &CHexEditBase::Changed);
        e->SetSelection(3, 9);
        e->SetHighlight(1, 2);
        e->SetCaretIndex(7, false);
        const std::vector<std::uint8_t> other = Counting(20);
        e->SetData(other.data(), 20);
        e->SetShowAddress(true);
        e->SetBytesPerRow(8, true);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!e->HasSelection());
        QCOMPARE(e->HighlightStart(), kNone);
        QCOMPARE(e->CaretIndex(), 0u);
        std::vector<std::uint8_t> part(5);
        QCOMPARE(e->GetData(part.data(), 5), 20u);
        QCOMPARE(part, Counting(5));

        // A buffer of length 0 is no buffer.
        e->SetData(other.data(), 0);
        PutBinaryOnClipboard(1, QByteArray(1, 'x'));
        QTest::keyClicks(e, "a5");
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        e->SetSelection(0, 5);
        QCOMPARE(e->GetData(part.data(), 5), 0u);
        QVERIFY(!e->HasSelection());
        QCOMPARE(changed.count(), 0);
        QVERIFY(e->CaretRect().isEmpty());
    }

    void clearingTheHighlightKeepsTheView()
    {
        Harness h(600, 100, Counting(4096));
        CHexEditBase* e = h.editor;
        e->SetHighlight(400, 410);
        const std::uint32_t shown = e->FirstVisibleRow();
        QVERIFY(shown > 0 && shown <= 400 / 16);
        e->SetHighlight(kNone, kNone);
        QCOMPARE(e->FirstVisibleRow(), shown);
    }

    void onlyFixedPitchFontsAreTaken()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        const int cw = h.cw();
        e->setFont(QFont(QStringLiteral("DejaVu Sans"), 20));
        QCOMPARE(h.cw(), cw);
        QVERIFY(QFontInfo(e->font()).fixedPitch());

        QFont large(QStringLiteral("DejaVu Sans Mono"));
        large.setPixelSize(24);
        e->setFont(large);
        QVERIFY(h.cw() > cw);
        QCOMPARE(QFontMetrics(e->font()).height(), h.rh());
    }
};

QTEST_MAIN(HexEditingTest)
#include "hexedit_editing_test.moc"
