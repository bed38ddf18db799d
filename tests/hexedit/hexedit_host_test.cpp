// SPDX-License-Identifier: MIT
// CHexEditBase inside the windows that host it: a drag whose button release
// goes elsewhere, wheel events over fields with nothing to scroll, and the
// size the widget asks of a layout. Mouse input goes through the window, as
// real input does, so the application's idea of the held buttons is kept.
#include "hexedit_test_support.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>

using hexedit_test::Counting;
using hexedit_test::Harness;

namespace {

// Press on byte 1 and drag below the text until the view has scrolled.
void StartDragBelowTheText(Harness& h)
{
    h.Press(h.DigitPoint(1));
    h.MoveTo(QPoint(100, h.editor->viewport()->height() + 20));
    QTRY_VERIFY(h.editor->FirstVisibleRow() >= 2);
}

struct ViewState {
    std::uint32_t firstRow;
    std::uint32_t caret;
    std::uint32_t selectionEnd;
    friend bool operator==(const ViewState&, const ViewState&) = default;
};

ViewState StateOf(const CHexEditBase& e)
{
    return {e.FirstVisibleRow(), e.CaretIndex(), e.SelectionEnd()};
}

// A wheel notch from the mouse, delivered like input from the window system,
// so an ignored event travels on to the parents.
void SpontaneousWheel(QWidget* target, int delta)
{
    const QPoint at(5, 5);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::instance()->notify(target, &wheel);
}

class WheelCounter : public QWidget {
public:
    int received = 0;

protected:
    void wheelEvent(QWheelEvent* event) override
    {
        ++received;
        event->accept();
    }
};

} // namespace

class HexHostTest : public QObject {
    Q_OBJECT

private slots:
    void autoScrollStopsWhenTheDragIsTakenAway_data()
    {
        QTest::addColumn<std::function<void(Harness&)>>("interrupt");
        QTest::newRow("focus moves away") << std::function<void(Harness&)>([](Harness& h) {
            h.AddBelow<QLineEdit>()->setFocus();
        });
        QTest::newRow("hidden") << std::function<void(Harness&)>([](Harness& h) { h.editor->hide(); });
        QTest::newRow("disabled") << std::function<void(Harness&)>([](Harness& h) {
            h.editor->setEnabled(false);
        });
        QTest::newRow("new data") << std::function<void(Harness&)>([](Harness& h) {
            const std::vector<std::uint8_t> other = Counting(4096);
            h.editor->SetData(other.data(), 4096);
        });
        // A modal window that does not take the focus (a tool tip) blocks
        // the editor's window: the release is dropped on the way, the editor
        // keeps the focus and never hears of it.
        QTest::newRow("release never arrives") << std::function<void(Harness&)>([](Harness& h) {
            auto* blocker = new QWidget(h.window.get(), Qt::ToolTip);
            blocker->setWindowModality(Qt::ApplicationModal);
            blocker->resize(50, 50);
            blocker->show();
            h.Release(QPoint(100, 20));
            QVERIFY(h.editor->hasFocus());
            delete blocker;
        });
    }

    void autoScrollStopsWhenTheDragIsTakenAway()
    {
        QFETCH(std::function<void(Harness&)>, interrupt);
        Harness h(600, 120, Counting(4096));
        StartDragBelowTheText(h);

        interrupt(h);
        QTest::qWait(30);  // a tick already due may still land
        const ViewState stopped = StateOf(*h.editor);
        QTest::qWait(150);
        QCOMPARE(StateOf(*h.editor), stopped);
        QVERIFY(h.editor->FirstVisibleRow() < h.editor->CurrentLayout().maxFirstRow);
        h.Release(QPoint(100, 20));
    }

    void dragStillScrollsWhileTheButtonIsHeld()
    {
        Harness h(600, 120, Counting(4096));
        StartDragBelowTheText(h);
        const std::uint32_t row = h.editor->FirstVisibleRow();
        QTRY_VERIFY(h.editor->FirstVisibleRow() > row + 2);
        QCOMPARE(h.editor->SelectionStart(), 1u);
        h.Release(QPoint(100, 20));
        const ViewState released = StateOf(*h.editor);
        QTest::qWait(100);
        QCOMPARE(StateOf(*h.editor), released);
    }

    void wheelGoesToTheParentWhenNothingScrolls()
    {
        WheelCounter sheet;
        auto* layout = new QVBoxLayout(&sheet);
        auto* field = new CHexEditBase;
        auto* buffer = new CHexEditBase;
        auto* empty = new CHexEditBase;
        layout->addWidget(field);
        layout->addWidget(buffer);
        layout->addWidget(empty);
        field->SetBytesPerRow(4, false);
        const std::vector<std::uint8_t> four = Counting(4);
        field->SetData(four.data(), 4);
        buffer->SetPreferredRows(3);
        const std::vector<std::uint8_t> many = Counting(512);
        buffer->SetData(many.data(), 512);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QCOMPARE(field->CurrentLayout().maxFirstRow, 0u);
        QVERIFY(buffer->CurrentLayout().maxFirstRow > 0);

        SpontaneousWheel(field->viewport(), -120);
        QCOMPARE(sheet.received, 1);
        SpontaneousWheel(empty->viewport(), -120);
        QCOMPARE(sheet.received, 2);

        // A view that scrolls keeps the wheel, also at its ends.
        SpontaneousWheel(buffer->viewport(), -120);
        QCOMPARE(buffer->FirstVisibleRow(), 1u);
        SpontaneousWheel(buffer->viewport(), 240);
        QCOMPARE(buffer->FirstVisibleRow(), 0u);
        QCOMPARE(sheet.received, 2);
    }

    void sizeHintsFitTheConfiguredRowsAndColumns()
    {
        QWidget window;
        auto* field = new CHexEditBase(&window);
        field->SetBytesPerRow(5, false);
        const std::vector<std::uint8_t> five = Counting(5);
        field->SetData(five.data(), 5);
        auto* view = new CHexEditBase(&window);
        view->SetShowAddress(true);
        view->SetAddressDigits(6);
        view->SetShowAscii(true);
        const std::vector<std::uint8_t> many = Counting(1000);
        view->SetData(many.data(), 1000);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const auto showsAllColumns = [](CHexEditBase* e) {
            return e->CurrentLayout().maxHorizontalOffset == 0 && !e->horizontalScrollBar()->isVisible();
        };

        // A one-row field: one row high, every byte in view, nothing to scroll.
        QCOMPARE(field->minimumSizeHint(), field->sizeHint());
        field->resize(field->sizeHint());
        QCOMPARE(field->CurrentLayout().fullRows, 1u);
        QCOMPARE(field->CurrentLayout().visibleRows, 1u);
        QCOMPARE(field->CurrentLayout().bytesPerRow, 5u);
        QVERIFY(showsAllColumns(field));
        QVERIFY(!field->verticalScrollBar()->isVisible());

        // A long buffer asks for 16 rows with its scroll bar beside them, and
        // at least one row with all columns.
        view->resize(view->sizeHint());
        QCOMPARE(view->CurrentLayout().fullRows, CHexEditBase::kMaxHintRows);
        QVERIFY(showsAllColumns(view));
        view->resize(view->minimumSizeHint());
        QCOMPARE(view->CurrentLayout().fullRows, 1u);
        QVERIFY(showsAllColumns(view));

        view->SetPreferredRows(4);
        view->resize(view->sizeHint());
        QCOMPARE(view->CurrentLayout().fullRows, 4u);

        // The hints follow the configuration.
        const QSize sixteen = view->sizeHint();
        view->SetBytesPerRow(8, false);
        QVERIFY(view->sizeHint().width() < sixteen.width());
        view->resize(view->sizeHint());
        QCOMPARE(view->CurrentLayout().bytesPerRow, 8u);
        QVERIFY(showsAllColumns(view));

        // Fitting to the width may shrink to one byte per row.
        view->SetBytesPerRow(16, true);
        view->resize(view->minimumSizeHint());
        QCOMPARE(view->CurrentLayout().bytesPerRow, 1u);
        QVERIFY(showsAllColumns(view));
        view->resize(view->sizeHint());
        QCOMPARE(view->CurrentLayout().bytesPerRow, 16u);
    }

    void layoutGivesAOneRowFieldOneRow()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* field = new CHexEditBase;
        field->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        field->SetBytesPerRow(2, false);
        const std::vector<std::uint8_t> two{0xAB, 0xCD};
        field->SetData(two.data(), 2);
        layout->addWidget(field);
        layout->addStretch();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(field->height(), field->sizeHint().height());
        QCOMPARE(field->CurrentLayout().visibleRows, 1u);
        QVERIFY(field->height() < 68);  // smaller than the inherited minimum
    }
};

QTEST_MAIN(HexHostTest)
#include "hexedit_host_test.moc"
