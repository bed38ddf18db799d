// SPDX-License-Identifier: MIT
// Device commands on the command worker against the virtual programmer:
// progress, the log, input blocking, the library's questions as message
// boxes, and the auto-sequence dialog.
#include "command_auto_dialog.h"
#include "command_device.h"
#include "command_host.h"
#include "command_worker.h"
#include "virtual_programmer_fixture.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

using namespace scriba8;
using namespace scriba8::app;

namespace {

constexpr int kCommandTimeoutMs = 60000;

// Counts its paintings: proof that the window is still drawn.
class PaintProbe : public QWidget {
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// What a progress bar showed each time it appeared.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    std::vector<int> values;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) values.push_back(bar_->value());
        return false;
    }

private:
    QProgressBar* bar_;
};

// A stand-in main window: progress bar, log box, one other button.
struct Window {
    QWidget widget;
    QProgressBar* bar = new QProgressBar(&widget);
    QPlainTextEdit* logView = new QPlainTextEdit(&widget);
    QPushButton* other = new QPushButton(QStringLiteral("Other"), &widget);
    PaintProbe* probe = new PaintProbe(&widget);
    int otherClicks = 0;
    std::vector<int> barValues;
    // Each logged piece with whether the bar was visible when it arrived.
    std::vector<std::pair<std::string, bool>> pieces;

    OperationLog log;
    CodeBuffers buffers;
    std::uint16_t status = 0;
    std::unique_ptr<ContextRecord> record = std::make_unique<ContextRecord>();
    HostBridge host{&widget};
    CommandWorker worker{&widget, bar, log};

    explicit Window(const char* part) {
        auto* layout = new QVBoxLayout(&widget);
        for (QWidget* child : {static_cast<QWidget*>(bar), static_cast<QWidget*>(logView),
                               static_cast<QWidget*>(other), static_cast<QWidget*>(probe)})
            layout->addWidget(child);
        probe->setMinimumSize(20, 20);
        bar->setRange(0, 100);
        bar->hide();
        QObject::connect(other, &QPushButton::clicked, [this] { ++otherClicks; });
        QObject::connect(bar, &QProgressBar::valueChanged, [this](int value) { barValues.push_back(value); });
        log.setListener([this](std::string_view text, bool cleared) {
            if (cleared) logView->clear();
            logView->insertPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
            pieces.emplace_back(std::string(text), bar->isVisible());
        });
        record->status = &status;
        record->host = host.table();
        QVERIFY(SelectChip(DeviceLibrary(), *record, buffers, test::PartIndex(part)));
        widget.resize(400, 300);
        widget.show();
    }

    RunnerContext context() { return {DeviceLibrary(), *record, log}; }

    std::optional<CommandOutcome> run(DeviceCommand command) {
        std::optional<CommandOutcome> outcome;
        if (!StartDeviceCommand(worker, context(), command, buffers,
                                [&](const CommandOutcome& done) { outcome = done; }))
            return std::nullopt;
        waitForWorker();
        return outcome;
    }

    void waitForWorker() { QTRY_VERIFY_WITH_TIMEOUT(!worker.busy(), kCommandTimeoutMs); }

    QString logText() const { return logView->toPlainText(); }

    // The piece that carried a command's outcome, and whether the bar was
    // visible then.
    std::optional<bool> barVisibleAt(const std::string& text) const {
        for (const auto& [piece, visible] : pieces)
            if (piece == text) return visible;
        return std::nullopt;
    }
};

void waitForMessageBox(QMessageBox*& found) {
    found = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible())
                    found = box;
            return found != nullptr;
        }(),
        kCommandTimeoutMs);
}

} // namespace

class CommandWorkerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { state_ = std::make_unique<test::VirtualState>(); }
    void cleanup() { state_.reset(); }

    void programAndVerifyShowProgressAndTheOutcome() {
        Window window("VS8K116");
        window.buffers.flash = test::SomeCode(0x3000);
        const ShowWatch shown(window.bar);
        auto outcome = window.run(DeviceCommand::program);
        QVERIFY(outcome);
        QCOMPARE(outcome->result, S8_PASS);
        outcome = window.run(DeviceCommand::verify);
        QVERIFY(outcome && outcome->result == S8_PASS);

        QVERIFY(window.logText().startsWith(QStringLiteral("000 - Program =>Pass   [")));
        QVERIFY(window.logText().contains(QStringLiteral("001 - Verify =>Pass   [")));
        for (int value : window.barValues) QVERIFY2(value != 0, "the bar showed 0");
        // Each command starts from an empty bar, not from the last one's 100 %.
        QCOMPARE(*std::max_element(window.barValues.begin(), window.barValues.end()), 100);
        QCOMPARE(shown.values.size(), std::size_t{2});
        for (int value : shown.values) QVERIFY2(value < window.bar->minimum(), "the bar did not start empty");
        QCOMPARE(window.barVisibleAt("Pass"), std::optional<bool>(false));
        QVERIFY(!window.bar->isVisible());
        QCOMPARE(window.otherClicks, 0);
        // The window's input works again.
        QTest::mouseClick(window.other, Qt::LeftButton);
        QCOMPARE(window.otherClicks, 1);
    }

    // The save dialog's path goes to the library with its terminating NUL:
    // a path as long as the library's buffer, or longer, is refused and
    // nothing is written into the buffer.
    void aSavePathMustFitTheBufferWithItsNul() {
        QWidget owner;
        HostBridge host(&owner);
        const S8HostCallbacks& table = *host.table();
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("project.vlx")));
        const auto choose = [&](std::size_t size) -> std::optional<std::string> {
            QTimer answer;
            QObject::connect(&answer, &QTimer::timeout, [&] {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible()) {
                        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                            ->setText(QFile::decodeName(path));
                        static_cast<QDialog*>(dialog)->accept(); // as its Save button does
                    }
            });
            answer.start(10);
            // Exactly size bytes on the heap: one byte more would be seen.
            const auto buffer = std::make_unique<char[]>(size);
            std::fill_n(buffer.get(), size, '#');
            if (table.chooseSaveFile(table.user, "vorlane Project File", "*.vlx", "vlx",
                                     folder.path().toUtf8().constData(), buffer.get(), size) == 0) {
                if (std::count(buffer.get(), buffer.get() + size, '#') != static_cast<std::ptrdiff_t>(size))
                    return "<written though refused>";
                return std::nullopt;
            }
            return std::string(buffer.get(), strnlen(buffer.get(), size));
        };
        const auto length = static_cast<std::size_t>(path.size());
        QCOMPARE(choose(length - 1), std::optional<std::string>());
        QCOMPARE(choose(length), std::optional<std::string>());
        QCOMPARE(choose(length + 1), std::optional<std::string>(path.toStdString()));
    }

    void aSecondCommandCannotStartWhileOneRuns() {
        Window window("VS8K116");
        window.buffers.flash = test::SomeCode(0x4000);
        int finished = 0;
        QVERIFY(StartDeviceCommand(window.worker, window.context(), DeviceCommand::program,
                                   window.buffers, [&](const CommandOutcome&) { ++finished; }));
        QVERIFY(!StartDeviceCommand(window.worker, window.context(), DeviceCommand::erase,
                                    window.buffers, [&](const CommandOutcome&) { ++finished; }));
        window.waitForWorker();
        QCOMPARE(finished, 1);
        QVERIFY(!window.logText().contains(QStringLiteral("Erase")));
    }

    void readsWorkOnTheirOwnRecord() {
        Window window("VS8K116");
        window.record->itemValue[0] = 1;
        const auto outcome = window.run(DeviceCommand::readOptions);
        QVERIFY(outcome && outcome->result == S8_PASS);
        QVERIFY(outcome->readSelection);
        QCOMPARE(window.record->itemValue[0], 1); // "Set" is not touched
        QCOMPARE(window.status, std::uint16_t{0});  // the temporary record's word was used
    }

    void autoSequenceStopsAtTheFirstFailureWithItsEndLine() {
        Window window("VS8K116");
        window.buffers.flash = test::SomeCode(0x800);
        QVERIFY(window.run(DeviceCommand::program)->result == S8_PASS);

        // Not erased first: the blank check fails and nothing follows it.
        window.record->autoProcess = S8_STEP_BLANK_CHECK | S8_STEP_PROGRAM | S8_STEP_VERIFY;
        std::optional<AutoRunResult> result;
        QVERIFY(StartAutoSequence(window.worker, window.context(), window.buffers,
                                  [&](const AutoRunResult& done) { result = done; }));
        window.waitForWorker();
        QVERIFY(result);
        QCOMPARE(result->steps.size(), std::size_t{1});
        const QString log = window.logText();
        const qsizetype start = log.indexOf(QStringLiteral("001 - Auto ======>Start"));
        QVERIFY(start >= 0);
        const QString run = log.mid(start);
        QVERIFY(run.contains(QStringLiteral("\n       Blank Check =>Fail   [")));
        QVERIFY2(run.endsWith(QStringLiteral("\"]\n   The chip is not blank: erase it first.\n"
                                             "         Auto ======>End\n")),
                 qPrintable(run));
        QVERIFY(!run.contains(QStringLiteral("Program")));
        QCOMPARE(window.record->autoProcess & S8_STEP_RUNNING, 0);
    }

    void firmwareQuestionFromTheWorkerIsAnsweredInAMessageBox() {
        if (qgetenv("SCRIBA8_VIRTUAL_FAULTS").isEmpty())
            QSKIP("runs with an out-of-date programmer firmware (SCRIBA8_VIRTUAL_FAULTS=fw-main=...)");
        Window window("VS8K116");
        QVERIFY(StartDeviceCommand(window.worker, window.context(), DeviceCommand::checkId,
                                   window.buffers, {}));
        QMessageBox* box = nullptr;
        waitForMessageBox(box);
        QVERIFY(window.worker.busy());
        QCOMPARE(box->parentWidget(), &window.widget);
        // The window itself ignores input while the worker waits for the answer.
        QTest::mouseClick(window.other, Qt::LeftButton);
        QCOMPARE(window.otherClicks, 0);
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        window.waitForWorker();
        QVERIFY2(window.logText().startsWith(QStringLiteral("000 - Check ID =>Update FW user cancel   [")),
                 qPrintable(window.logText()));
    }

    // Yes to the question: the update is a step of the log while the command
    // waits on the worker, with a moving bar, and the data follow.
    void firmwareUpdateOnTheWorkerIsAStepOfTheLog() {
        if (qgetenv("SCRIBA8_VIRTUAL_FAULTS").isEmpty())
            QSKIP("runs with an out-of-date programmer firmware (SCRIBA8_VIRTUAL_FAULTS=fw-main=...)");
        Window window("VS8K116");
        window.buffers.flash = test::SomeCode(0x800);
        std::optional<CommandOutcome> outcome;
        QVERIFY(StartDeviceCommand(window.worker, window.context(), DeviceCommand::program,
                                   window.buffers, [&](const CommandOutcome& done) { outcome = done; }));
        QMessageBox* box = nullptr;
        waitForMessageBox(box);
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.bar->isVisible() && window.bar->maximum() == 0,
                                 kCommandTimeoutMs);
        window.waitForWorker();
        QVERIFY(outcome && outcome->result == S8_PASS);
        QVERIFY2(window.logText().startsWith(QStringLiteral(
                     "000 - Program =>\n       Update Programmer Firmware =>Pass   [")),
                 qPrintable(window.logText()));
        QVERIFY2(window.logText().contains(QStringLiteral("\"]\n       Program =>Pass   [")),
                 qPrintable(window.logText()));
        QCOMPARE(window.bar->maximum(), 100);
        QVERIFY(!window.bar->isVisible());
    }

    void slowProgramKeepsTheWindowPaintedAndIgnoresInput() {
        if (qgetenv("SCRIBA8_VIRTUAL_PACE") != "real")
            QSKIP("runs with a paced programmer (SCRIBA8_VIRTUAL_PACE=real)");
        Window window("VS8G164");
        window.buffers.flash = test::SomeCode(0x10000);
        QTimer repaint;
        QObject::connect(&repaint, &QTimer::timeout, window.probe, qOverload<>(&QWidget::update));
        repaint.start(20);
        std::optional<CommandOutcome> outcome;
        QVERIFY(StartDeviceCommand(window.worker, window.context(), DeviceCommand::program,
                                   window.buffers, [&](const CommandOutcome& done) { outcome = done; }));
        QTRY_VERIFY_WITH_TIMEOUT(window.bar->isVisible() && window.bar->value() > 0, kCommandTimeoutMs);
        const int paintsBefore = window.probe->paints;
        QTRY_VERIFY_WITH_TIMEOUT(window.probe->paints > paintsBefore + 2, kCommandTimeoutMs);
        QVERIFY(window.worker.busy());

        QTest::mouseClick(window.other, Qt::LeftButton);
        QTest::keyClick(window.other, Qt::Key_Space);
        QVERIFY(!window.widget.close());
        QPointer<QMessageBox> wait;
        {
            QMessageBox* found = nullptr;
            waitForMessageBox(found);
            wait = found;
        }
        QVERIFY(window.widget.isVisible());
        QVERIFY(window.worker.busy());

        window.waitForWorker();
        QVERIFY(outcome && outcome->result == S8_PASS);
        QTRY_VERIFY(wait == nullptr || !wait->isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(window.otherClicks, 0); // not delivered late either
        for (std::size_t i = 1; i < window.barValues.size(); ++i)
            QVERIFY(window.barValues[i] == -1 || window.barValues[i] >= window.barValues[i - 1]);
        for (int value : window.barValues) QVERIFY(value != 0);
    }

    void autoDialogCouplesProgramWriteOptionsAndTheChecksum() {
        Window window("VS8K116");
        std::uint16_t mask = S8_DEFAULT_AUTO_PROCESS;
        const ChipSizes chip = *ChipSizesOf(DeviceLibrary(), window.record->partIndex);
        {
            // No code: Program is off and cannot be ticked.
            CAutoProcessDlg dialog(Language::english, mask, true, chip, {});
            QCOMPARE(mask & S8_STEP_PROGRAM, 0);
            QVERIFY(!dialog.box(S8_STEP_PROGRAM)->isEnabled());
            QVERIFY(dialog.box(S8_STEP_EEPROM_PROGRAM)->isEnabled());
        }
        int runs = 0;
        CAutoProcessDlg dialog(Language::chinese, mask, false, chip, [&] { ++runs; });
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("自动"));
        QVERIFY(mask & S8_STEP_PROGRAM); // code loaded: Program again
        QCheckBox* program = dialog.box(S8_STEP_PROGRAM);
        QCheckBox* options = dialog.box(S8_STEP_WRITE_OPTIONS);
        QCheckBox* checksum = dialog.box(S8_STEP_SAVE_CHIP_CHECKSUM);
        QCOMPARE(program->objectName(), QStringLiteral("control1231"));
        QCOMPARE(program->text(), QStringLiteral("编程"));
        test::Click(options);
        test::Click(options);
        QVERIFY(checksum->isChecked());
        QVERIFY(mask & S8_STEP_SAVE_CHIP_CHECKSUM);
        test::Click(program);
        QVERIFY(!checksum->isChecked());
        QCOMPARE(mask & (S8_STEP_PROGRAM | S8_STEP_SAVE_CHIP_CHECKSUM), 0);
        test::Click(test::Control<QPushButton>(dialog, 1235));
        QCOMPARE(runs, 1);
    }

    void autoRunWithoutStepsWritesOnlyItsBrackets() {
        Window window("VS8K116");
        window.record->autoProcess = 0;
        QVERIFY(StartAutoSequence(window.worker, window.context(), window.buffers, {}));
        window.waitForWorker();
        QCOMPARE(window.logText(), QStringLiteral("000 - Auto ======>Start\n         Auto ======>End\n"));
        QVERIFY(window.run(DeviceCommand::checkId));
        QVERIFY(window.logText().contains(QStringLiteral("\n001 - Check ID =>")));
    }

private:
    std::unique_ptr<test::VirtualState> state_;
};

QTEST_MAIN(CommandWorkerTest)
#include "command_worker_test.moc"
