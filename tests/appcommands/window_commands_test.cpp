// SPDX-License-Identifier: MIT
// The window's file and device commands end to end on the virtual
// programmer, driven by control ids as an operator would.
#include "checksums.h"
#include "command_auto_dialog.h"
#include "hex_edit_base.h"
#include "insert_isp_dialog.h"
#include "select_area_dialog.h"
#include "tab_pages.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

using namespace scriba8;
using namespace scriba8::test;
namespace ids = scriba8::appmain::ids;

class WindowCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void loadProgramVerifyDumpShowTheSameChecksums() {
        WindowFixture f("VS8K116");
        std::vector<int> barValues;
        connect(f.window->progress, &QProgressBar::valueChanged, this,
                [&](int value) { barValues.push_back(value); });
        const QString hex = f.writeFile(QStringLiteral("code.hex"), HexFile(SomeCode(0x1000)));
        DialogAnswers answers;
        f.files.push_back(hex);
        answers.dialog<app::CSelectAreaDlg>(true, FillWithOnes);
        f.click(ids::kLoadFile);
        QVERIFY(answers.allAnswered());
        QCOMPARE(f.flashBox(ids::kFlashFilePath), hex);
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("16384"));
        const QString chipChecksum = f.flashBox(ids::kFlashChipChecksum);
        QCOMPARE(f.flashBox(ids::kFlashBufferChecksum), chipChecksum);

        f.runCommand(ids::kProgram);
        f.runCommand(ids::kVerify);
        f.runCommand(ids::kDumpTarget);
        const QString log = f.log();
        QVERIFY2(log.startsWith(QStringLiteral("000 - Load File =>Pass   [")), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("\n001 - Program =>Pass   [")));
        QVERIFY(log.contains(QStringLiteral("\n002 - Verify =>Pass   [")));
        QVERIFY(log.contains(QStringLiteral("\n003 - Dump Target =>Pass   [")));

        QCOMPARE(f.flashBox(ids::kFlashFilePath), QStringLiteral("Dump Target"));
        QCOMPARE(f.flashBox(ids::kFlashChipChecksum), chipChecksum);
        QCOMPARE(f.flashBox(ids::kFlashBufferChecksum), chipChecksum);
        QCOMPARE(f.eepromBox(ids::kEepromFilePath), QStringLiteral("Dump Target"));
        QCOMPARE(f.window->buffers.record(app::BufferTab::flash).kind, app::BufferKind::targetDump);
        QVERIFY(!f.window->progress->isVisible());
        for (int value : barValues) QVERIFY2(value != 0, "the progress bar showed 0");
        QVERIFY(f.window->Control(ids::kProgram)->isEnabled());
        QVERIFY(!f.window->Control(ids::kEepromProgram)->isEnabled());
    }

    void overlappingHexRecordsLoadWithAWarningInTheLog() {
        WindowFixture f("VS8A108");
        const std::string text = DataRecord(0x10, {1, 2, 3, 4}) + DataRecord(0x12, {9, 9}) + EndRecord();
        const QString hex = f.writeFile(QStringLiteral("overlap.hex"), QByteArray::fromStdString(text));
        DialogAnswers answers;
        f.files.push_back(hex);
        answers.dialog<app::CSelectAreaDlg>(true);
        f.click(ids::kLoadFile);
        const QString log = f.log();
        QVERIFY2(log.startsWith(QStringLiteral("000 - Load File =>Pass   [")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("0x12")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("overlap.hex")), qPrintable(log));
    }

    void mergedFilesAreMixedAndFillingCoversTheChip() {
        WindowFixture f("VS8A108"); // 8 KB of Flash
        const QString first = f.writeFile(QStringLiteral("first.bin"), Bytes(SomeCode(16, 1)));
        const QString second = f.writeFile(QStringLiteral("second.bin"), Bytes(SomeCode(16, 2)));
        DialogAnswers answers;
        f.files.push_back(first);
        answers.dialog<app::CSelectAreaDlg>(true, FillWithOnes);
        f.click(ids::kLoadFile);
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("8192"));
        QCOMPARE(f.flashBox(ids::kFlashBufferChecksum), f.flashBox(ids::kFlashChipChecksum));
        QCOMPARE(f.flashBox(ids::kFlashFilePath), first);

        // The second file into the data area without clearing: both stay.
        f.files.push_back(second);
        answers.dialog<app::CSelectAreaDlg>(true, [](app::CSelectAreaDlg& dialog) {
            Click(Control<QRadioButton>(dialog, 1122));
            Control<QLineEdit>(dialog, 1124)->setText(QStringLiteral("100"));
            Click(Control<QCheckBox>(dialog, 1243));
        });
        f.click(ids::kLoadFile);
        QVERIFY(answers.allAnswered());
        QCOMPARE(f.flashBox(ids::kFlashFilePath), second + QStringLiteral(" (Mixed file)"));
        QCOMPARE(f.window->buffers.record(app::BufferTab::flash).kind, app::BufferKind::mixedFiles);
        std::vector<std::uint8_t> bytes(f.window->FlashEditor()->Length());
        f.window->FlashEditor()->GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        QCOMPARE(bytes.size(), std::size_t{8192});
        QVERIFY(std::equal(bytes.begin(), bytes.begin() + 16, SomeCode(16, 1).begin()));
        QVERIFY(std::equal(bytes.begin() + 0x100, bytes.begin() + 0x110, SomeCode(16, 2).begin()));
        QCOMPARE(bytes[0x20], std::uint8_t{0xFF});

        // A byte typed by hand changes the sums shown beside the editor.
        const QString before = f.flashBox(ids::kFlashBufferChecksum);
        f.click(ids::kEnableModifyBuffer);
        f.window->FlashEditor()->setFocus();
        QTest::keyClick(f.window->FlashEditor(), bytes[0] >> 4 == 0xA ? Qt::Key_B : Qt::Key_A);
        f.window->FlashEditor()->GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        const QString after = QStringLiteral("%1").arg(app::Checksum16(bytes), 4, 16, QLatin1Char('0')).toUpper();
        QVERIFY(after != before);
        QCOMPARE(f.flashBox(ids::kFlashBufferChecksum), after);
        QCOMPARE(f.flashBox(ids::kFlashChipChecksum), after); // the buffer fills the chip
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("8192"));
    }

    void cancellingTheFileDialogLogsNothingButTheAreaDialogLogsCancel() {
        WindowFixture f("VS8A108");
        const QString file = f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(16)));
        DialogAnswers answers;
        f.files.push_back({});
        f.click(ids::kLoadFile);
        QCOMPARE(f.log(), QString());
        f.files.push_back(file);
        answers.dialog<app::CSelectAreaDlg>(false);
        f.click(ids::kLoadFile);
        QVERIFY2(f.log().startsWith(QStringLiteral("000 - Load File =>Cancel   [")), qPrintable(f.log()));
        QCOMPARE(f.window->FlashEditor()->Length(), 0u);
        QVERIFY(!f.window->Control(ids::kProgram)->isEnabled());

        answers.dialog<app::CInsertISPDlg>(false);
        f.click(ids::kInsertIsp);
        QVERIFY(f.log().contains(QStringLiteral("\n001 - Insert ISP-code =>Cancel   [")));
    }

    void autoReloadReadsTheFileAgainAndSaysWhenItCannot() {
        WindowFixture f("VS8A108");
        const QString file = f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(32, 1)));
        DialogAnswers answers;
        f.files.push_back(file);
        answers.dialog<app::CSelectAreaDlg>(true);
        f.click(ids::kLoadFile);
        f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(32, 2)));

        f.click(ids::kAutoReload);
        QVERIFY(!f.window->Control(ids::kEnableModifyBuffer)->isEnabled());
        QVERIFY2(f.log().contains(QStringLiteral("\n001 - Auto Reload =>Pass   [")), qPrintable(f.log()));
        QCOMPARE(f.flashBox(ids::kFlashFilePath), file); // a reload is no second file
        std::vector<std::uint8_t> bytes(32);
        f.window->FlashEditor()->GetData(bytes.data(), 32);
        QCOMPARE(bytes, SomeCode(32, 2));

        f.window->OnWindowActivated();
        QVERIFY(f.log().contains(QStringLiteral("\n002 - Auto Reload =>Pass   [")));

        // A project's buffer has no file of its own to read again.
        f.window->buffers.record(app::BufferTab::flash) = {app::BufferKind::singleFile, {}, {}, {}};
        f.window->OnWindowActivated();
        QVERIFY2(f.log().contains(QStringLiteral("\n003 - Auto Reload =>Open file error")), qPrintable(f.log()));

        f.click(ids::kAutoReload);
        QVERIFY(f.window->Control(ids::kEnableModifyBuffer)->isEnabled());
        f.window->OnWindowActivated();
        QVERIFY(!f.log().contains(QStringLiteral("004 - ")));
    }

    void eepromProgramWritesTheEepromBufferAndDumpReadsItBack() {
        WindowFixture f("VS8K116");
        f.window->tabs->setCurrentIndex(1);
        const std::vector<std::uint8_t> data = SomeCode(64, 3);
        f.files.push_back(f.writeFile(QStringLiteral("data.bin"), Bytes(data)));
        f.click(ids::kLoadFile);
        f.runCommand(ids::kEepromProgram);
        QVERIFY2(f.log().contains(QStringLiteral("\n001 - EEPROM Program =>Pass   [")), qPrintable(f.log()));

        // The dump replaces the buffer with what the chip holds.
        const std::vector<std::uint8_t> zeros(64, 0);
        f.window->EepromEditor()->SetData(zeros.data(), static_cast<std::uint32_t>(zeros.size()));
        f.runCommand(ids::kDumpTarget);
        QVERIFY2(f.log().contains(QStringLiteral("\n002 - Dump Target =>Pass   [")), qPrintable(f.log()));
        std::vector<std::uint8_t> dumped(f.window->EepromEditor()->Length());
        QVERIFY(dumped.size() >= data.size());
        f.window->EepromEditor()->GetData(dumped.data(), static_cast<std::uint32_t>(dumped.size()));
        QVERIFY(std::equal(data.begin(), data.end(), dumped.begin()));
        QCOMPARE(f.eepromBox(ids::kEepromChecksum),
                 QStringLiteral("%1").arg(app::Checksum16(dumped), 4, 16, QLatin1Char('0')).toUpper());

        // Started from the EEPROM page, the dump ends on the Flash page with
        // the Flash page's buttons.
        QCOMPARE(f.window->tabs->currentIndex(), 0);
        QVERIFY(f.window->tabs->widget(0)->isVisible());
        for (const int id : {ids::kErase, ids::kBlankCheck, ids::kProgram, ids::kVerify})
            QVERIFY2(f.window->Control(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(!f.window->Control(ids::kEepromProgram)->isEnabled());
    }

    void readOptionsChangesOnlyTheNowColumn() {
        WindowFixture f("VS8K116");
        auto* firstSet = f.window->ControlAs<QComboBox>(ids::kItemSetList);
        auto* firstNow = f.window->ControlAs<QLineEdit>(ids::kItemNowBox);
        QVERIFY(firstSet && firstNow);
        if (firstSet->count() > 1) firstSet->setCurrentIndex(firstSet->count() - 1);
        QTest::qWait(20); // the panel takes the change into the record from its event queue
        const int setIndex = firstSet->currentIndex();
        const ContextRecord before = f.window->context;
        QCOMPARE(firstNow->text(), QString());

        f.runCommand(ids::kReadOptions);
        QVERIFY2(f.log().startsWith(QStringLiteral("000 - Read Options =>Pass   [")), qPrintable(f.log()));
        QVERIFY(!firstNow->text().isEmpty());
        QTest::qWait(20);
        QCOMPARE(firstSet->currentIndex(), setIndex);
        QVERIFY(std::equal(std::begin(before.itemValue), std::end(before.itemValue),
                           std::begin(f.window->context.itemValue)));
        QVERIFY(std::equal(std::begin(before.bitValue), std::end(before.bitValue),
                           std::begin(f.window->context.bitValue)));
    }

    void autoSequenceStopsAtTheFailingStepAndLaterLinesAreNumbered() {
        WindowFixture f("VS8K116");
        const QString file = f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(0x400)));
        DialogAnswers answers;
        f.files.push_back(file);
        answers.dialog<app::CSelectAreaDlg>(true);
        f.click(ids::kLoadFile);
        f.runCommand(ids::kProgram);

        // Without an erase first the blank check fails on the programmed chip.
        answers.then([&](QDialog& dialog) {
            auto* autoDialog = qobject_cast<app::CAutoProcessDlg*>(&dialog);
            if (autoDialog == nullptr) return false;
            Click(autoDialog->box(S8_STEP_WHOLE_CHIP_ERASE));
            Click(Control<QPushButton>(dialog, 1235));
            // Pressing Run again while the sequence runs does nothing.
            Click(Control<QPushButton>(dialog, 1235));
            return true;
        });
        answers.then([&](QDialog& dialog) {
            if (f.window->CommandRunning()) return false;
            dialog.reject();
            return true;
        });
        f.click(ids::kAuto);
        QVERIFY(answers.allAnswered());
        const QString log = f.log();
        const qsizetype start = log.indexOf(QStringLiteral("002 - Auto ======>Start\n"));
        QVERIFY2(start > 0, qPrintable(log));
        QCOMPARE(log.mid(start).count(QStringLiteral("Auto ======>Start")), 1);
        QVERIFY(log.mid(start).contains(QStringLiteral("\n       Blank Check =>Fail   [")));
        // The failed step says what to do under its own line.
        QVERIFY2(log.endsWith(QStringLiteral("\"]\n   The chip is not blank: erase it first.\n"
                                             "         Auto ======>End\n")),
                 qPrintable(log));
        QCOMPARE(f.window->context.autoProcess & S8_STEP_WHOLE_CHIP_ERASE, 0);

        f.runCommand(ids::kCheckId);
        QVERIFY(f.log().contains(QStringLiteral("End\n003 - Check ID =>Pass   [")));
    }

    void ispCodeJoinsALoadedFileAsMixed() {
        WindowFixture f("VS8K116");
        const QString file = f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(0x100)));
        DialogAnswers answers;
        f.files.push_back(file);
        answers.dialog<app::CSelectAreaDlg>(true);
        f.click(ids::kLoadFile);
        answers.dialog<app::CInsertISPDlg>(true);
        f.click(ids::kInsertIsp);
        QVERIFY2(f.log().contains(QStringLiteral("\n001 - Insert ISP-code =>Pass   [")), qPrintable(f.log()));
        QCOMPARE(f.flashBox(ids::kFlashFilePath), QStringLiteral("Default (Mixed file)"));
        QCOMPARE(f.window->buffers.record(app::BufferTab::flash).kind, app::BufferKind::mixedFiles);
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QString::number(f.window->FlashEditor()->Length()));
        QVERIFY(f.window->FlashEditor()->Length() > 0x100);
        QVERIFY(f.window->Control(ids::kProgram)->isEnabled());
    }

    void savedBufferIsTheEditorsBytes() {
        WindowFixture f("VS8A108");
        const QString file = f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(64)));
        const QString saved = f.state_.path(QStringLiteral("saved.bin"));
        DialogAnswers answers;
        f.files.push_back(file);
        answers.dialog<app::CSelectAreaDlg>(true);
        f.click(ids::kLoadFile);
        f.files.push_back(saved);
        f.click(ids::kSaveBuffer);
        QVERIFY(f.log().contains(QStringLiteral("\n001 - Save Buffer =>Pass   [")));
        QFile written(saved);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), Bytes(SomeCode(64)));
    }
};

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
