// SPDX-License-Identifier: MIT
// What the window's buffers hold after loads, reloads, saves, projects, dumps
// and chip changes, on the virtual programmer.
#include "chip_selection.h"
#include "file_paths.h"
#include "insert_isp_dialog.h"
#include "library_api.h"
#include "options_panel.h"
#include "project_saver.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

using namespace scriba8;
using namespace scriba8::test;
namespace ids = scriba8::appmain::ids;

namespace {

int ItemSlot(const BodyInfo& chip, std::string_view name) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k)
        if (chip.items[k].name != nullptr && name == chip.items[k].name) return k;
    return -1;
}

// A project written by the library for the chip, with this code and the IAP
// size's value set.
QString MakeProject(const QString& folder, const char* part, const std::vector<std::uint8_t>& code,
                    std::int32_t iapValue) {
    const app::LibraryApi& api = app::DeviceLibrary();
    auto record = std::make_unique<ContextRecord>();
    std::uint16_t status = 0;
    record->status = &status;
    app::CodeBuffers buffers;
    if (!app::SelectChip(api, *record, buffers, PartIndex(part))) qFatal("no chip %s", part);
    const BodyInfo& chip = *app::ChipRow(api, record->partIndex);
    if (const int iap = ItemSlot(chip, "IAP_SIZE"); iap >= 0) record->itemValue[iap] = iapValue;
    buffers.flash = code;
    buffers.record(app::BufferTab::flash).kind = app::BufferKind::singleFile;
    const QByteArray where = folder.toUtf8();
    app::CopyToField(where.constData(), record->projectFolder, sizeof record->projectFolder);
    app::CopyToField("made.vlx", record->projectFile, sizeof record->projectFile);
    app::CopyToField("made.bin", record->codeFileName, sizeof record->codeFileName);
    app::OperationLog log;
    if (app::SaveProject(api, *record, buffers, log) != S8_PASS)
        qFatal("no project: %s", std::string(log.text()).c_str());
    return QDir(folder).filePath(QStringLiteral("made.vlx"));
}

} // namespace

class WindowFilesTest : public QObject {
    Q_OBJECT

private slots:
    // A reload of a buffer holding one file is that file loaded afresh: bytes
    // the file no longer has do not stay behind. A mixed buffer merges.
    void autoReloadOfOneFileIsAFreshLoadAndMixedBuffersMerge() {
        WindowFixture f("VS8G132");
        const QString path = f.writeFile(QStringLiteral("code.hex"), HexFile(SomeCode(113, 1)));
        f.load(path);
        f.click(ids::kAutoReload);
        f.writeFile(QStringLiteral("code.hex"), HexFile({1, 2, 3}));
        f.window->OnWindowActivated();
        QVERIFY2(f.log().contains(QStringLiteral("002 - Auto Reload =>Pass")), qPrintable(f.log()));
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("3"));
        QCOMPARE(EditorContents(*f.window->FlashEditor()), (std::vector<std::uint8_t>{1, 2, 3}));
        QCOMPARE(f.flashBox(ids::kFlashFilePath), path);

        // Where the file went, and how the chip is filled, stay as chosen.
        f.click(ids::kAutoReload);
        f.load(path, [](app::CSelectAreaDlg& dialog) {
            Click(Control<QRadioButton>(dialog, 1122));
            Control<QLineEdit>(dialog, 1124)->setText(QStringLiteral("10"));
            FillWithOnes(dialog); // "Clear Buffer" stays ticked

        });
        f.click(ids::kAutoReload);
        f.writeFile(QStringLiteral("code.hex"), HexFile({7}));
        f.window->OnWindowActivated();
        std::vector<std::uint8_t> expected(f.window->SelectedChip()->flashSize, 0xFF); // filled
        expected[0x10] = 7;
        QCOMPARE(EditorContents(*f.window->FlashEditor()), expected);

        // A second file makes the buffer mixed: its reload keeps the first.
        f.click(ids::kAutoReload);
        const QString other = f.writeFile(QStringLiteral("other.bin"), Bytes(std::vector<std::uint8_t>{9, 9}));
        f.load(other, [](app::CSelectAreaDlg& dialog) {
            Click(Control<QRadioButton>(dialog, 1122));
            Control<QLineEdit>(dialog, 1124)->setText(QStringLiteral("20"));
            Click(Control<QCheckBox>(dialog, 1243)); // merged, not cleared
        });
        f.click(ids::kAutoReload);
        f.writeFile(QStringLiteral("other.bin"), Bytes(std::vector<std::uint8_t>{5}));
        f.window->OnWindowActivated();
        const std::vector<std::uint8_t> merged = EditorContents(*f.window->FlashEditor());
        QCOMPARE(merged[0x10], std::uint8_t{7});
        QCOMPARE(merged[0x20], std::uint8_t{5});
        QCOMPARE(merged[0x21], std::uint8_t{9});
        QCOMPARE(f.flashBox(ids::kFlashFilePath), other + QStringLiteral(" (Mixed file)"));
    }

    // Save Buffer writes what Load File reads back: Intel HEX for a .hex or
    // .ihx name, binary otherwise, for both buffers.
    void savedBuffersLoadBackTheSameBytes() {
        WindowFixture f("VS8K116");
        const std::vector<std::uint8_t> code = SomeCode(0x1234, 4);
        f.load(f.writeFile(QStringLiteral("code.bin"), Bytes(code)));
        for (const char* name : {"saved.hex", "saved.IHX", "saved.bin"}) {
            f.files.push_back(f.state_.path(QString::fromLatin1(name)));
            f.click(ids::kSaveBuffer);
            f.load(f.state_.path(QString::fromLatin1(name)));
            QVERIFY2(!f.log().contains(QStringLiteral("error")), qPrintable(f.log()));
            QCOMPARE(EditorContents(*f.window->FlashEditor()), code);
        }
        QFile hex(f.state_.path(QStringLiteral("saved.hex")));
        QVERIFY(hex.open(QIODevice::ReadOnly));
        QVERIFY(hex.readAll().endsWith(":00000001FF\r\n"));

        f.window->tabs->setCurrentIndex(1);
        const std::vector<std::uint8_t> data = SomeCode(512, 5); // the whole EEPROM
        f.load(f.writeFile(QStringLiteral("data.bin"), Bytes(data)));
        for (const char* name : {"eeprom.hex", "eeprom.bin"}) {
            f.files.push_back(f.state_.path(QString::fromLatin1(name)));
            f.click(ids::kSaveBuffer);
            f.window->EepromEditor()->SetData(nullptr, 0);
            f.load(f.state_.path(QString::fromLatin1(name)));
            QCOMPARE(EditorContents(*f.window->EepromEditor()), data);
        }
    }

    // Data that start above 0 land at the load position; the log says where
    // they started and where they went.
    void hexDataMovedToTheLoadPositionAreLogged() {
        WindowFixture f("VS8G132");
        const QString path = f.writeFile(QStringLiteral("high.hex"), HexFile(SomeCode(16), 0x1000));
        f.load(path);
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("16"));
        QVERIFY2(f.log().contains(path + QStringLiteral(": the HEX data start at 0x1000 and are placed "
                                                        "from buffer position 0x0")),
                 qPrintable(f.log()));
        f.load(f.writeFile(QStringLiteral("low.hex"), HexFile(SomeCode(16))));
        QCOMPARE(f.log().count(QStringLiteral("HEX data start")), 1);
    }

    // A project through Load File, onto the chip already selected and onto
    // another one: the chip's reset, the project's "Set" column (a 64 KB
    // chip's IAP size as it was saved), its labels and buttons; the log stays.
    void projectsLoadThroughTheWindow() {
        WindowFixture f("VS8G164");
        const BodyInfo& chip64 = *f.window->SelectedChip();
        QCOMPARE(chip64.flashSize, 0x10000u);
        const int iap = ItemSlot(chip64, "IAP_SIZE");
        QVERIFY(iap >= 0);
        const QString project = MakeProject(f.state_.folder(), "VS8G164", SomeCode(300, 6), 3);

        // What a chip change clears: a loaded file, the "Now" column.
        f.load(f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(40))));
        f.runCommand(ids::kReadOptions);
        QVERIFY(!f.window->ControlAs<QLineEdit>(ids::kItemNowBox + iap)->text().isEmpty());
        f.files.push_back(project);
        f.click(ids::kLoadFile);
        QString log = f.log();
        QVERIFY2(log.startsWith(QStringLiteral("000 - Load File =>Pass")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("\n002 - Load File =>Pass")), qPrintable(log));
        QCOMPARE(f.window->ControlAs<QLineEdit>(ids::kItemNowBox + iap)->text(), QString());
        QTest::qWait(20); // the panel takes its lists into the record from its event queue
        QCOMPARE(f.window->context.itemValue[iap], 3);
        QCOMPARE(f.window->ControlAs<QComboBox>(ids::kItemSetList + iap)->currentIndex(), 3);
        QCOMPARE(f.flashBox(ids::kFlashFilePath), project + QStringLiteral(" (made.bin)"));
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("300"));
        QVERIFY(f.window->Control(ids::kProgram)->isEnabled());

        // Onto another chip: selected, with its own EEPROM page cleared.
        f.selectPart("VS8K116");
        f.window->tabs->setCurrentIndex(1);
        f.load(f.writeFile(QStringLiteral("data.bin"), Bytes(SomeCode(8))));
        QVERIFY(!f.eepromBox(ids::kEepromFilePath).isEmpty());
        f.files.push_back(project);
        f.click(ids::kLoadFile);
        log = f.log();
        QVERIFY2(log.contains(QStringLiteral("\n001 - Load File =>Pass")), qPrintable(log));
        QCOMPARE(QString::fromUtf8(f.window->SelectedChip()->partName), QStringLiteral("VS8G164"));
        QCOMPARE(f.eepromBox(ids::kEepromFilePath), QString());
        QCOMPARE(f.window->tabs->count(), 1); // no EEPROM on this chip
        QCOMPARE(f.window->context.itemValue[iap], 3);
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QStringLiteral("300"));
        // The numbering goes on from the last line, not from 000.
        f.runCommand(ids::kCheckId);
        log = f.log();
        QVERIFY2(log.startsWith(QStringLiteral("000 - Load File =>Pass")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("\n002 - Check ID =>")), qPrintable(log));
    }

    // An empty project file is said to be empty, not damaged.
    void anEmptyProjectSaysSo() {
        WindowFixture f("VS8K116");
        f.files.push_back(f.writeFile(QStringLiteral("empty.vlx"), QByteArray()));
        f.click(ids::kLoadFile);
        QVERIFY2(f.log().contains(QStringLiteral("empty.vlx: the file is empty")), qPrintable(f.log()));
        QVERIFY2(!f.log().contains(QStringLiteral("checksum")), qPrintable(f.log()));
    }

    // A dump that fails changes nothing the operator sees.
    void failedDumpLeavesBuffersLabelsAndTheNowColumn() {
        WindowFixture f("VS8K116");
        f.load(f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(64))));
        f.runCommand(ids::kReadOptions);
        const auto shown = [&] {
            return QStringList{f.flashBox(ids::kFlashFilePath), f.flashBox(ids::kFlashBufferSize),
                               f.flashBox(ids::kFlashBufferChecksum), f.eepromBox(ids::kEepromFilePath),
                               f.window->ControlAs<QLineEdit>(ids::kItemNowBox)->text()};
        };
        const QStringList before = shown();
        const std::vector<std::uint8_t> flash = EditorContents(*f.window->FlashEditor());
        const std::vector<std::uint8_t> eeprom = EditorContents(*f.window->EepromEditor());
        qputenv("SCRIBA8_PROGRAMMER", "usb:no-such-programmer");
        f.runCommand(ids::kDumpTarget);
        qputenv("SCRIBA8_PROGRAMMER", "virtual");
        QVERIFY2(f.log().contains(QStringLiteral("Dump Target =>Connect error")), qPrintable(f.log()));
        QCOMPARE(shown(), before);
        QCOMPARE(EditorContents(*f.window->FlashEditor()), flash);
        QCOMPARE(EditorContents(*f.window->EepromEditor()), eeprom);
        QCOMPARE(f.window->buffers.record(app::BufferTab::flash).kind, app::BufferKind::singleFile);
    }

    // After a dump the code comes from the chip; a project made from it
    // must not name the file loaded before.
    void aDumpIsTheBuffersOrigin() {
        WindowFixture f("VS8G132");
        f.load(QStringLiteral(SCRIBA8_SOURCE_DIR "/examples/blinky.hex"));
        QCOMPARE(QString::fromUtf8(f.window->context.codeFileName), QStringLiteral("blinky.hex"));
        f.runCommand(ids::kDumpTarget);
        QCOMPARE(QString::fromUtf8(f.window->context.codeFileName), QStringLiteral("Dump Target"));
    }

    // Choosing a series selects its first chip with everything a chip
    // change resets.
    void aSeriesStartsAtItsFirstChipAfresh() {
        WindowFixture f("VS8K116");
        f.load(f.writeFile(QStringLiteral("code.bin"), Bytes(SomeCode(64))));
        f.runCommand(ids::kReadOptions);
        QComboBox* series = f.window->seriesList;
        const int other = series->currentIndex() == 0 ? 1 : 0;
        series->setCurrentIndex(other);
        emit series->activated(other);
        QCOMPARE(f.window->chipList->currentIndex(), 0);
        QCOMPARE(QString::fromUtf8(f.window->SelectedChip()->partName), f.window->chipList->itemText(0));
        QCOMPARE(f.window->FlashEditor()->Length(), 0u);
        QCOMPARE(f.flashBox(ids::kFlashFilePath), QString());
        QCOMPARE(f.flashBox(ids::kFlashBufferSize), QString());
        QCOMPARE(f.window->ControlAs<QLineEdit>(ids::kItemNowBox)->text(), QString());
        QCOMPARE(f.log(), QString());
        QVERIFY(!f.window->Control(ids::kProgram)->isEnabled());
    }

    // Insert ISP-code's line starts before its dialog, as the command's time
    // includes it.
    void insertIspStartsItsLineBeforeItsDialog() {
        WindowFixture f("VS8K116");
        DialogAnswers answers;
        QString whileAsked;
        answers.dialog<app::CInsertISPDlg>(true, [&](app::CInsertISPDlg&) { whileAsked = f.log(); });
        f.click(ids::kInsertIsp);
        QCOMPARE(whileAsked, QStringLiteral("000 - Insert ISP-code =>"));
        QVERIFY2(f.log().startsWith(QStringLiteral("000 - Insert ISP-code =>Pass   [")), qPrintable(f.log()));
    }

    // The file dialogs name each filter once; Save Buffer offers binary and
    // Intel HEX, and a name typed without an extension takes the filter's.
    void fileDialogsNameEachFilterOnce() {
        WindowFixture f("VS8K116");
        appmain::WindowEnvironment plain = f.environment_;
        plain.chooseFileToLoad = nullptr;
        plain.chooseFileToSave = nullptr;
        CScriba8_T3Plus_APDlg window(plain);
        QVERIFY(window.Initialise());
        window.show();
        const auto filters = [](QFileDialog& dialog) {
            auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QStringList shown;
            for (int i = 0; types != nullptr && i < types->count(); ++i) shown << types->itemText(i);
            return shown;
        };
        QStringList loadFilters;
        DialogAnswers answers;
        answers.then([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (files == nullptr) return false;
            loadFilters = filters(*files);
            files->reject();
            return true;
        });
        qobject_cast<QPushButton*>(window.Control(ids::kLoadFile))->click();
        QCOMPARE(loadFilters, (QStringList{QStringLiteral("Intel Hex/Binary (*.hex; *.bin)"),
                                           QStringLiteral("vorlane Project File (*.vlx)"),
                                           QStringLiteral("All Files (*.*)")}));

        const std::vector<std::uint8_t> code = SomeCode(32, 8);
        window.FlashEditor()->SetData(code.data(), static_cast<std::uint32_t>(code.size()));
        window.Control(ids::kSaveBuffer)->setEnabled(true);
        QStringList saveFilters;
        answers.then([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (files == nullptr) return false;
            saveFilters = filters(*files);
            files->selectNameFilter(files->nameFilters().at(1));
            emit files->filterSelected(files->nameFilters().at(1));
            files->setDirectory(f.state_.folder());
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("typed"));
            QMetaObject::invokeMethod(files, "accept");
            return true;
        });
        qobject_cast<QPushButton*>(window.Control(ids::kSaveBuffer))->click();
        QCOMPARE(saveFilters, (QStringList{QStringLiteral("Binary (*.bin)"),
                                           QStringLiteral("Intel HEX (*.hex)")}));
        QFile saved(f.state_.path(QStringLiteral("typed.hex")));
        QVERIFY2(saved.open(QIODevice::ReadOnly), qPrintable(window.LogText()));
        QVERIFY(saved.readAll().startsWith(":10000000"));
    }

    // In Chinese, Qt's own texts are Chinese too; back in English, English.
    void qtTextsFollowTheLanguage() {
        WindowFixture f("VS8K116");
        const auto fileNameLabel = [] {
            QFileDialog dialog;
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            auto* label = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
            return label != nullptr ? label->text().remove(QLatin1Char('&')) : QString();
        };
        const auto yes = [] {
            QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes);
            return box.button(QMessageBox::Yes)->text();
        };
        f.window->SwitchLanguage(1);
        QVERIFY2(fileNameLabel().contains(QStringLiteral("文件名")), qPrintable(fileNameLabel()));
        QVERIFY2(yes().contains(QStringLiteral("是")), qPrintable(yes()));
        f.window->SwitchLanguage(0);
        QVERIFY2(fileNameLabel().contains(QStringLiteral("File name")), qPrintable(fileNameLabel()));
        QCOMPARE(yes(), QStringLiteral("&Yes"));
    }
};

QTEST_MAIN(WindowFilesTest)
#include "window_files_test.moc"
