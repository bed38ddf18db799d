// Editing behaviour of CHexEditBase driven through its events: caret keys,
// typing, selection, clipboard, mouse, wheel, shortcuts and focus.
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

void PutBinaryOnClipboard(const QByteArray& form)
{
    auto* mime = new QMimeData;
    mime->setData(CHexEditBase::BinaryDataMimeType(), form);
    QApplication::clipboard()->setMimeData(mime);
}

QByteArray BinaryForm(std::uint32_t count, const QByteArray& bytes)
{
    QByteArray form;
    for (int shift = 0; shift < 32; shift += 8)
        form.append(static_cast<char>(count >> shift));
    return form + bytes;
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
    void caretKeysStopAtTheEnds()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        QTest::keyClick(e, Qt::Key_Left);
        QCOMPARE(e->CaretIndex(), 0u);
        QVERIFY(e->CaretOnHighNibble());

        QTest::keyClick(e, Qt::Key_Right);
        QCOMPARE(e->CaretIndex(), 0u);
        QVERIFY(!e->CaretOnHighNibble());
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(e->CaretIndex(), 16u);
        QVERIFY(!e->CaretOnHighNibble());

        QTest::keyClick(e, Qt::Key_End);
        QCOMPARE(e->CaretIndex(), 39u);
        QVERIFY(!e->CaretOnHighNibble());
        QTest::keyClick(e, Qt::Key_Right);
        QCOMPARE(e->CaretIndex(), 39u);
        QVERIFY(!e->CaretOnHighNibble());
        QTest::keyClick(e, Qt::Key_Down);  // past the end: last byte, low nibble
        QCOMPARE(e->CaretIndex(), 39u);

        QTest::keyClick(e, Qt::Key_Up);
        QCOMPARE(e->CaretIndex(), 23u);
        QTest::keyClick(e, Qt::Key_Home);
        QCOMPARE(e->CaretIndex(), 0u);
        QVERIFY(e->CaretOnHighNibble());
    }

    void typingOverwritesNibbles()
    {
        Harness h(600, 200, std::vector<std::uint8_t>(40, 0x00));
        CHexEditBase* e = h.editor;
        QSignalSpy changed(e, &CHexEditBase::Changed);

        QTest::keyClick(e, Qt::Key_A, Qt::NoModifier);
        QCOMPARE(Contents(*e)[0], 0xA0);
        QCOMPARE(changed.count(), 1);
        QTest::keyClicks(e, "5");
        QCOMPARE(Contents(*e)[0], 0xA5);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(e->CaretIndex(), 1u);
        QVERIFY(e->CaretOnHighNibble());

        QTest::keyClicks(e, "g z");  // not hex digits
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClick(e, Qt::Key_5, Qt::ControlModifier);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(Contents(*e)[1], 0x00);

        // The last byte: the caret stays on its low nibble.
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClicks(e, "7");
        QTest::keyClicks(e, "e");
        QCOMPARE(Contents(*e)[39], 0x0E);
        QCOMPARE(e->CaretIndex(), 39u);
        QVERIFY(!e->CaretOnHighNibble());
        QCOMPARE(changed.count(), 4);
    }

    void readOnlyRefusesEditsOnly()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        e->SetReadOnly(true, true);
        QSignalSpy changed(e, &CHexEditBase::Changed);
        PutBinaryOnClipboard(BinaryForm(2, QByteArray("\xEE\xEE", 2)));

        QTest::keyClicks(e, "ab");
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        e->Paste();
        QCOMPARE(Contents(*e), Counting(40));
        QCOMPARE(changed.count(), 0);

        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(e->SelectionStart(), 0u);
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
        QCOMPARE(e->SelectionStart(), 5u);
        QCOMPARE(e->SelectionEnd(), 6u);

        // Back over the anchor: the anchor stays one end.
        QTest::keyClick(e, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(e->SelectionStart(), 0u);
        QCOMPARE(e->SelectionEnd(), 5u);

        QTest::keyClick(e, Qt::Key_Right);
        QVERIFY(!e->HasSelection());
        // A new Shift run anchors at the caret again.
        const std::uint32_t caret = e->CaretIndex();
        QTest::keyClick(e, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(e->SelectionStart(), caret);
        QCOMPARE(e->SelectionEnd(), caret + 16);
    }

    void pageKeysMoveTheViewLessOneRow()
    {
        Harness h(600, 100, Counting(512));
        CHexEditBase* e = h.editor;
        h.SetEditorHeight(Harness::HeightForRows(3, h.rh()));
        QCOMPARE(e->CurrentLayout().visibleRows, 3u);

        QTest::keyClick(e, Qt::Key_PageDown);
        QCOMPARE(e->CaretIndex(), 32u);
        QCOMPARE(e->FirstVisibleRow(), 0u);  // row 2 is the last full row

        // One more row down brings column 0 of the next row into view.
        QTest::keyClick(e, Qt::Key_Down);
        QCOMPARE(e->CaretIndex(), 48u);
        QCOMPARE(e->FirstVisibleRow(), 1u);
        QVERIFY(!e->CaretRect().isEmpty());

        QTest::keyClick(e, Qt::Key_PageUp);
        QCOMPARE(e->CaretIndex(), 16u);
        QCOMPARE(e->FirstVisibleRow(), 1u);
        QTest::keyClick(e, Qt::Key_PageUp);
        QCOMPARE(e->CaretIndex(), 0u);
        QCOMPARE(e->FirstVisibleRow(), 0u);
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
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        QCOMPARE(mime->text(), QStringLiteral("12 34 56\n"));
        QCOMPARE(mime->data(CHexEditBase::BinaryDataMimeType()), QByteArray("\x03\0\0\0\x12\x34\x56", 7));

        e->SetSelection(4, 23);
        e->Copy();
        const QStringList lines = QApplication::clipboard()->text().split(u'\n');
        QCOMPARE(lines.size(), 3);  // two lines and the empty rest after the last "\n"
        QCOMPARE(lines[0], QString(12, u' ') + QStringLiteral("04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"));
        QCOMPARE(lines[1], QStringLiteral("10 11 12 13 14 15 16 17"));
        QCOMPARE(QApplication::clipboard()->mimeData()->data(CHexEditBase::BinaryDataMimeType()).size(), 24);

        // Without a selection the clipboard keeps what it had.
        e->SetSelection(kNone, kNone);
        e->Copy();
        QCOMPARE(QApplication::clipboard()->text().size(), lines.join(u'\n').size());
    }

    void pasteWritesWhatFits()
    {
        Harness h(600, 200, std::vector<std::uint8_t>(40, 0x00));
        CHexEditBase* e = h.editor;
        QSignalSpy changed(e, &CHexEditBase::Changed);

        PutBinaryOnClipboard(BinaryForm(10, QByteArray(10, '\xEE')));
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

        // With a selection the paste goes to its start.
        PutBinaryOnClipboard(BinaryForm(3, QByteArray("\x01\x02\x03", 3)));
        e->SetSelection(2, 9);
        e->Paste();
        QCOMPARE(Contents(*e)[2], 0x01);
        QCOMPARE(Contents(*e)[4], 0x03);
        QCOMPARE(Contents(*e)[5], 0x00);
        QCOMPARE(e->SelectionStart(), 2u);
        QCOMPARE(e->SelectionEnd(), 4u);
        QCOMPARE(changed.count(), 2);
    }

    void pasteTrustsNoCount()
    {
        Harness h(600, 200, std::vector<std::uint8_t>(40, 0x00));
        CHexEditBase* e = h.editor;
        QSignalSpy changed(e, &CHexEditBase::Changed);
        e->SetCaretIndex(10, true);

        // A count larger than the data: only the bytes present are written.
        PutBinaryOnClipboard(BinaryForm(1000, QByteArray(3, '\x77')));
        e->Paste();
        QCOMPARE(Contents(*e)[12], 0x77);
        QCOMPARE(Contents(*e)[13], 0x00);
        QCOMPARE(e->SelectionEnd(), 12u);

        // Nothing to paste: nothing changes, no notification.
        const std::vector<std::uint8_t> before = Contents(*e);
        for (const QByteArray& form : {BinaryForm(0, QByteArray(5, '\x55')), QByteArray("\x02\0", 2)}) {
            PutBinaryOnClipboard(form);
            e->Paste();
        }
        QApplication::clipboard()->setText(QStringLiteral("AA BB"));
        e->Paste();
        QCOMPARE(Contents(*e), before);
        QCOMPARE(e->SelectionStart(), 10u);
        QCOMPARE(e->CaretIndex(), 12u);
        QCOMPARE(changed.count(), 1);
    }

    void doubleClickSelectsTheHighlightOrOneByte()
    {
        Harness h(600, 200, Counting(128));
        CHexEditBase* e = h.editor;
        e->SetHighlight(20, 27);
        QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(22));
        QCOMPARE(e->SelectionStart(), 20u);
        QCOMPARE(e->SelectionEnd(), 27u);

        QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(5));
        QCOMPARE(e->SelectionStart(), 5u);
        QCOMPARE(e->SelectionEnd(), 5u);
        QCOMPARE(e->CaretIndex(), 5u);
    }

    void mouseDragSelectsPastTheThreshold()
    {
        Harness h(600, 200, Counting(128));
        CHexEditBase* e = h.editor;
        e->SetSelection(50, 60);
        QTest::mousePress(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(2));
        QCOMPARE(e->CaretIndex(), 2u);
        QVERIFY(!e->HasSelection());  // a press drops the old selection

        SendMove(e->viewport(), h.DigitPoint(2) + QPoint(1, 1));
        QVERIFY(!e->HasSelection());  // still a click
        SendMove(e->viewport(), h.DigitPoint(5));
        QCOMPARE(e->SelectionStart(), 2u);
        QCOMPARE(e->SelectionEnd(), 5u);
        SendMove(e->viewport(), h.DigitPoint(2) + QPoint(1, 1));  // every move counts now
        QCOMPARE(e->SelectionEnd(), 2u);
        SendMove(e->viewport(), h.DigitPoint(17));  // the other way of the anchor
        QCOMPARE(e->SelectionStart(), 2u);
        QCOMPARE(e->SelectionEnd(), 17u);
        QTest::mouseRelease(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(17));
        QCOMPARE(e->SelectionEnd(), 17u);
    }

    void dragBelowTheTextScrollsUntilBack()
    {
        Harness h(600, 120, Counting(4096));
        CHexEditBase* e = h.editor;
        QTest::mousePress(e->viewport(), Qt::LeftButton, {}, h.DigitPoint(1));
        SendMove(e->viewport(), QPoint(100, e->viewport()->height() + 40));
        QTRY_VERIFY(e->FirstVisibleRow() >= 3);
        QCOMPARE(e->SelectionStart(), 1u);
        QVERIFY(e->SelectionEnd() > 16 * e->CurrentLayout().fullRows);

        SendMove(e->viewport(), QPoint(100, 20));  // inside: scrolling stops
        const std::uint32_t row = e->FirstVisibleRow();
        QTest::qWait(100);
        QCOMPARE(e->FirstVisibleRow(), row);

        SendMove(e->viewport(), QPoint(100, -30));  // above: back up
        QTRY_VERIFY(e->FirstVisibleRow() < row);
        QTest::mouseRelease(e->viewport(), Qt::LeftButton, {}, QPoint(100, -30));
        const std::uint32_t released = e->FirstVisibleRow();
        QTest::qWait(100);
        QCOMPARE(e->FirstVisibleRow(), released);
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

        // The scroll bar moves the view as well.
        e->verticalScrollBar()->setValue(4);
        QCOMPARE(e->FirstVisibleRow(), 4u);
    }

    void ctrlShortcutsBelongToTheEditor()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        auto* windowSelectAll = new QAction(h.window.get());
        windowSelectAll->setShortcut(QKeySequence::SelectAll);
        h.window->addAction(windowSelectAll);
        QSignalSpy triggered(windowSelectAll, &QAction::triggered);

        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(triggered.count(), 0);
        QCOMPARE(e->SelectionStart(), 0u);
        QCOMPARE(e->SelectionEnd(), 39u);

        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->mimeData()->data(CHexEditBase::BinaryDataMimeType()).size(), 44);

        e->SetSelection(kNone, kNone);
        e->SetCaretIndex(0, true);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);  // the same 40 bytes back
        QCOMPARE(Contents(*e), Counting(40));
        QCOMPARE(e->SelectionEnd(), 39u);
    }

    void tabMovesTheFocus()
    {
        Harness h(600, 200, Counting(40));
        auto* next = h.AddBelow<QLineEdit>();
        h.editor->setFocus();
        QVERIFY(h.editor->hasFocus());
        QTest::keyClick(h.editor, Qt::Key_Tab);
        QVERIFY(next->hasFocus());
        QTest::keyClick(next, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(h.editor->hasFocus());
    }

    void focusShowsAndHidesTheCaret()
    {
        Harness h(600, 200, Counting(40));
        auto* other = h.AddBelow<QLineEdit>();
        QVERIFY(!h.editor->CaretRect().isEmpty());
        other->setFocus();
        QVERIFY(h.editor->CaretRect().isEmpty());
        QTest::mouseClick(h.editor->viewport(), Qt::LeftButton, {}, h.DigitPoint(3, 1));
        QVERIFY(h.editor->hasFocus());
        QCOMPARE(h.editor->CaretIndex(), 3u);
        QVERIFY(!h.editor->CaretOnHighNibble());
        QCOMPARE(h.editor->CaretRect().left(), h.DigitPoint(3, 1).x() - h.cw() / 2);
    }

    void settersAndSetDataSendNoChange()
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
        e->SetShowAscii(true);
        e->SetAddressDigits(6);
        e->SetBytesPerRow(8, false);
        e->SetBytesPerRow(8, true);
        QCOMPARE(changed.count(), 0);

        // SetData starts over: no selection, no highlight, caret on byte 0.
        QVERIFY(!e->HasSelection());
        QCOMPARE(e->HighlightStart(), kNone);
        QCOMPARE(e->CaretIndex(), 0u);
        QVERIFY(e->CaretOnHighNibble());
        QCOMPARE(e->GetData(nullptr, 0), 20u);
        std::vector<std::uint8_t> part(5);
        QCOMPARE(e->GetData(part.data(), 5), 20u);
        QCOMPARE(part, Counting(5));
    }

    void emptyBufferBehavesAsNone()
    {
        Harness h(600, 200, {});
        CHexEditBase* e = h.editor;
        const std::uint8_t byte = 0x42;
        e->SetData(&byte, 0);
        QSignalSpy changed(e, &CHexEditBase::Changed);
        PutBinaryOnClipboard(BinaryForm(1, QByteArray(1, 'x')));

        QTest::keyClicks(e, "a5");
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        SendWheel(e->viewport(), -120);
        e->SetSelection(0, 5);
        e->SetHighlight(0, 5);

        QCOMPARE(e->GetData(nullptr, 0), 0u);
        QVERIFY(!e->HasSelection());
        QCOMPARE(e->HighlightStart(), kNone);
        QCOMPARE(changed.count(), 0);
        QVERIFY(e->CaretRect().isEmpty());
    }

    void hostIndicesAreKeptInsideTheBuffer()
    {
        Harness h(600, 200, Counting(40));
        CHexEditBase* e = h.editor;
        e->SetCaretIndex(1000, true);
        QCOMPARE(e->CaretIndex(), 39u);
        QTest::keyClicks(e, "ff");
        QCOMPARE(Contents(*e)[39], 0xFF);

        e->SetSelection(30, 90);
        QCOMPARE(e->SelectionEnd(), 39u);
        e->SetHighlight(50, 60);
        QCOMPARE(e->HighlightStart(), 39u);
        QCOMPARE(e->HighlightEnd(), 39u);
    }

    void clearingTheHighlightKeepsTheView()
    {
        Harness h(600, 100, Counting(4096));
        CHexEditBase* e = h.editor;
        e->SetHighlight(400, 410);
        const std::uint32_t shown = e->FirstVisibleRow();
        QVERIFY(shown > 0);
        QVERIFY(shown <= 400 / 16);
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
        QVERIFY(QFontInfo(e->font()).fixedPitch());
        QVERIFY(h.cw() > cw);
        QCOMPARE(QFontMetrics(e->font()).height(), h.rh());
    }
};

QTEST_MAIN(HexEditingTest)
#include "hexedit_editing_test.moc"
