// SPDX-License-Identifier: MIT
// The main window driven through the window system, as an operator drives
// it: real clicks, keys, close requests and activations (see real_input.h)
// while the off-line download and other commands run. Run by with_xvfb.sh.
#include "control_ids.h"
#include "offline_mode_dialog.h"
#include "real_input.h"
#include "select_area_dialog.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>

using namespace scriba8;
using namespace scriba8::test;
namespace ids = scriba8::appmain::ids;

namespace {

constexpr int kScriptLimitMs = 60000;

// An out-of-date programmer firmware: every command first asks to update it.
constexpr const char* kOldFirmware = "fw-main=0x00140001";

QMessageBox* VisibleBox(const QString& containing) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(top);
            box != nullptr && box->isVisible() && box->text().contains(containing))
            return box;
    return nullptr;
}

QMessageBox* FirmwareQuestion() { return VisibleBox(QStringLiteral("Do you want to update")); }

app::COffLineModeDlg* OffLineDialog() {
    auto* dialog = qobject_cast<app::COffLineModeDlg*>(QApplication::activeModalWidget());
    return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
}

QString Blinky() { return QStringLiteral(SCRIBA8_SOURCE_DIR "/examples/blinky.hex"); }

} // namespace

class RealInputTest : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("SCRIBA8_VIRTUAL_FAULTS", kOldFirmware); }
    void cleanup() { qunsetenv("SCRIBA8_VIRTUAL_FAULTS"); }

    // The firmware question during the off-line download takes the
    // operator's answer, a click elsewhere meanwhile does nothing; during
    // the update that follows, neither do a click, Esc or the close box,
    // then or later.
    void offLineDownloadAsksAndIgnoresEverythingElse() {
        WindowFixture f("VS8G132");
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.load(Blinky());
        auto* checkId = f.window->Control(ids::kCheckId);
        QProgressBar* bar = f.window->progress;

        InputScript script(kScriptLimitMs);
        script.then(QStringLiteral("the Off-Line Mode dialog"), [] { return OffLineDialog() != nullptr; },
                    [] { RealClick(OffLineDialog()->okButton()); });
        script.then(QStringLiteral("the firmware question"), [] { return FirmwareQuestion() != nullptr; },
                    [&] {
                        RealClick(checkId);
                        RealClick(FirmwareQuestion()->button(QMessageBox::Yes));
                    });
        script.then(QStringLiteral("the update's busy bar"),
                    [&] { return bar->isVisible() && bar->maximum() == 0; },
                    [&] {
                        QVERIFY(!checkId->isEnabled()); // greyed while it runs
                        RealClick(checkId);
                        RealKey(f.window.get(), QStringLiteral("Escape"));
                        RealCloseRequest(f.window.get());
                    });
        script.then(QStringLiteral("the notice to wait"),
                    [] { return VisibleBox(QStringLiteral("Please wait")) != nullptr; }, {});
        script.then(QStringLiteral("the end of the download"),
                    [&] { return !f.window->CommandRunning(); }, {});
        // Without a way through, the question is answered in code: the test
        // then fails instead of hanging.
        script.setRescue([&] {
            if (QMessageBox* box = FirmwareQuestion()) box->button(QMessageBox::No)->click();
        });
        RealClick(f.window->Control(ids::kOffLineMode));
        QTRY_VERIFY_WITH_TIMEOUT(script.finished(), kScriptLimitMs * 3);
        QVERIFY2(script.failure().isEmpty(), qPrintable(script.failure() + " did not come\n" + f.log()));

        QTest::qWait(200); // anything delivered late would arrive now
        const QString log = f.log();
        QVERIFY2(log.contains(QStringLiteral("001 - Off-Line Mode =>\n"
                                             "       Update Programmer Firmware =>Pass   [")),
                 qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("\n       Off-Line Mode =>Pass   [")), qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("Check ID")), qPrintable(log));
        QVERIFY(f.window->isVisible());
        QTRY_VERIFY(VisibleBox(QStringLiteral("Please wait")) == nullptr);
        // The window's own enable rules are back.
        QVERIFY(checkId->isEnabled());
        QVERIFY(f.window->Control(ids::kProgram)->isEnabled());
        QVERIFY(!bar->isVisible());
    }

    // Auto Reload runs on a real activation, but not while a command, a
    // dialog or the off-line download holds the window.
    void autoReloadWaitsForTheWindowToBeFree() {
        WindowFixture f("VS8G132");
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.load(f.writeFile(QStringLiteral("code.bin"), QByteArray(64, '\x5A')));
        f.click(ids::kAutoReload);
        const ForeignWindow other;
        const auto reloads = [&] { return f.log().count(QStringLiteral("Auto Reload =>")); };
        const int ticked = reloads();
        QCOMPARE(ticked, 1); // ticking reloads at once

        // The operator works in another program and comes back.
        InputScript script(kScriptLimitMs);
        const auto comeBack = [&](const QString& when) {
            script.then(when + QStringLiteral(": away"), [] { return true; },
                        [&] { other.focus(); });
            script.then(when + QStringLiteral(": in the other program"),
                        [] { return QApplication::activeWindow() == nullptr; },
                        [&] { RealFocus(f.window.get()); });
            // A window under a modal dialog is not made active: any reload
            // it brought would still show in the count at the end.
            script.then(when + QStringLiteral(": back"),
                        [] {
                            return QApplication::activeWindow() != nullptr ||
                                   QApplication::activeModalWidget() != nullptr;
                        },
                        {});
        };
        const auto answer = [&](QMessageBox::StandardButton button) {
            script.then(QStringLiteral("the firmware question"),
                        [] { return FirmwareQuestion() != nullptr; },
                        [button] { RealClick(FirmwareQuestion()->button(button)); });
            script.then(QStringLiteral("the command's end"),
                        [&] { return !f.window->CommandRunning(); }, {});
        };
        script.setRescue([] {
            if (QMessageBox* box = FirmwareQuestion()) box->button(QMessageBox::No)->click();
            if (app::COffLineModeDlg* dialog = OffLineDialog()) dialog->reject();
        });

        comeBack(QStringLiteral("idle"));
        script.then(QStringLiteral("the reload"), [&] { return reloads() == ticked + 1; },
                    [&] { RealClick(f.window->Control(ids::kCheckId)); });
        // A device command waiting for the operator's answer.
        script.then(QStringLiteral("Check ID's question"), [] { return FirmwareQuestion() != nullptr; },
                    {});
        comeBack(QStringLiteral("during Check ID"));
        answer(QMessageBox::No);
        // The off-line dialog, then its download.
        script.then(QStringLiteral("ready"), [] { return true; },
                    [&] { RealClick(f.window->Control(ids::kOffLineMode)); });
        script.then(QStringLiteral("the Off-Line Mode dialog"), [] { return OffLineDialog() != nullptr; },
                    {});
        comeBack(QStringLiteral("during the dialog"));
        script.then(QStringLiteral("OK"), [] { return OffLineDialog() != nullptr; },
                    [] { RealClick(OffLineDialog()->okButton()); });
        script.then(QStringLiteral("the download's question"),
                    [] { return FirmwareQuestion() != nullptr; }, {});
        comeBack(QStringLiteral("during the download"));
        answer(QMessageBox::Yes);
        QTRY_VERIFY_WITH_TIMEOUT(script.finished(), kScriptLimitMs * 4);
        QVERIFY2(script.failure().isEmpty(), qPrintable(script.failure() + " did not come\n" + f.log()));

        const QString log = f.log();
        QVERIFY2(log.contains(QStringLiteral("Off-Line Mode =>Pass")), qPrintable(log));
        QCOMPARE(reloads(), ticked + 1);
        // Free again: the next return reloads.
        other.focus();
        QTRY_VERIFY(QApplication::activeWindow() == nullptr);
        RealFocus(f.window.get());
        QTRY_COMPARE(reloads(), ticked + 2);
    }

    // What the operator sees on a small screen or at a large scale: the
    // window fits the screen, and every control can be scrolled into view.
    void everyControlIsReachableOnThisScreen() {
        qunsetenv("SCRIBA8_VIRTUAL_FAULTS");
        WindowFixture f("VS8K116");
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const QRect screen = f.window->screen()->availableGeometry();
        QVERIFY2(screen.contains(f.window->frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2 window on a %3x%4 screen")
                                .arg(f.window->frameGeometry().width())
                                .arg(f.window->frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())));
        auto* scroll = f.window->findChild<QScrollArea*>(QStringLiteral("clientScroll"));
        QVERIFY(scroll != nullptr);
        for (int id = ids::kLoadFile; id <= ids::kReadChipChecksum; ++id) {
            // What the operator clicks or chooses from.
            QWidget* control = f.window->Control(id);
            if (control == nullptr || control->isHidden() ||
                !(qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control)))
                continue;
            scroll->ensureWidgetVisible(control, 0, 0);
            QApplication::processEvents();
            const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
            const QRect shown(scroll->viewport()->mapToGlobal(QPoint(0, 0)), scroll->viewport()->size());
            QVERIFY2(shown.contains(onScreen) && screen.contains(onScreen), qPrintable(QString::number(id)));
        }
    }

    // The firmware question of the off-line download in Chinese, over the
    // window, as the operator sees it (scripts/screenshots.sh).
    void screenshots() {
        const QString folder = qEnvironmentVariable("SCRIBA8_SCREENSHOTS");
        if (folder.isEmpty()) QSKIP("SCRIBA8_SCREENSHOTS not set");
        WindowFixture f("VS8G132");
        f.window->SwitchLanguage(1);
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.load(Blinky());
        InputScript script(kScriptLimitMs);
        script.then(QStringLiteral("the Off-Line Mode dialog"), [] { return OffLineDialog() != nullptr; },
                    [] { RealClick(OffLineDialog()->okButton()); });
        script.then(QStringLiteral("the firmware question"),
                    [] { return FirmwareQuestion() != nullptr && FirmwareQuestion()->isActiveWindow(); },
                    [&] {
                        QApplication::processEvents();
                        QVERIFY(f.window->screen()->grabWindow(0).save(
                            QDir(folder).filePath(QStringLiteral("offline-firmware-question-zh.png"))));
                        RealClick(FirmwareQuestion()->button(QMessageBox::No));
                    });
        script.then(QStringLiteral("the end"), [&] { return !f.window->CommandRunning(); }, {});
        script.setRescue([] {
            if (QMessageBox* box = FirmwareQuestion()) box->button(QMessageBox::No)->click();
        });
        RealClick(f.window->Control(ids::kOffLineMode));
        QTRY_VERIFY_WITH_TIMEOUT(script.finished(), kScriptLimitMs + 5000);
        QVERIFY2(script.failure().isEmpty(), qPrintable(script.failure()));
    }
};

QTEST_MAIN(RealInputTest)
#include "real_input_test.moc"
