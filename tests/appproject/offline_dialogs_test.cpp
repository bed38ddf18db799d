// SPDX-License-Identifier: MIT
// The off-line dialogs through their widgets, on the virtual programmer:
// entry rules and clamps, the download and the read-back, and what the
// read-back shows after the programmer ran on its own.
#include "chip_selection.h"
#include "export_impl.h"
#include "offline_commands.h"
#include "offline_mode_dialog.h"
#include "read_info_dialog.h"
#include "sim/manual_clock.h"
#include "sim/virtual_programmer.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <memory>
#include <optional>

using namespace scriba8::app;

namespace {

// The library's entries linked in, so the test reaches the same virtual
// programmer the calls talk to.
LibraryApi InProcessLibrary() {
    LibraryApi api;
    api.GetDLLInfo = &scriba8::dllInfo;
    api.GetBodyInfo = &scriba8::bodyInfo;
    api.OffLineMode = &scriba8::offLineMode;
    api.ReadOffLineModeInfo = &scriba8::readOffLineModeInfo;
    return api;
}

std::int32_t ChipNamed(const LibraryApi& api, const char* name) {
    const BodyInfo* rows = nullptr;
    const std::int32_t count = api.GetBodyInfo(&rows);
    for (std::int32_t i = 0; i < count; ++i)
        if (std::strcmp(rows[i].partName, name) == 0) return i;
    return -1;
}

// Types into an edit as the user does: select all, then the keys.
void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

} // namespace

class OffLineDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void emptyFlashLeavesOnlyCancelAndReadInfo();
    void entriesAreClampedWithABeep();
    void cancelKeepsTheEdits();
    void downloadThenReadBackShowsEveryField();
    void readBackAfterStandAloneRunShowsTheCounters();
    void erasedProgrammerShowsNoDialog();
    void unknownPartIsSaidSo();
    void screenshots();

  private:
    OffLineDialogContext context();
    void select(const char* part);
    // Reads back through the dialog's button; the dialog shown, or nothing.
    std::unique_ptr<CReadInfoDlg> readBack(COffLineModeDlg& dialog);

    LibraryApi api_ = InProcessLibrary();
    std::optional<scriba8::sim::ScopedManualClock> clock_;
    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_;
    CodeBuffers buffers_;
    std::unique_ptr<OperationLog> log_;
    int beeps_ = 0;
};

void OffLineDialogsTest::init() {
    clock_.emplace();
    scriba8::sim::virtualProgrammer().reset();
    scriba8::sim::virtualProgrammer().environmentApplied = true;
    record_ = std::make_unique<ContextRecord>();
    record_->status = &status_;
    buffers_ = {};
    log_ = std::make_unique<OperationLog>(Language::english, [] { return 0u; });
    beeps_ = 0;
}

void OffLineDialogsTest::cleanup() { clock_.reset(); }

OffLineDialogContext OffLineDialogsTest::context() {
    return {&api_, record_.get(), &buffers_, log_.get(), Language::english};
}

void OffLineDialogsTest::select(const char* part) {
    const std::int32_t row = ChipNamed(api_, part);
    QVERIFY2(row >= 0, part);
    QVERIFY(SelectChip(api_, *record_, buffers_, row));
    const BodyInfo* chip = ChipRow(api_, row);
    record_->serialAddress = chip->flashSize - 16; // as the window starts
}

std::unique_ptr<CReadInfoDlg> OffLineDialogsTest::readBack(COffLineModeDlg& dialog) {
    std::unique_ptr<CReadInfoDlg> shown;
    dialog.setInfoPresenter([&](const ContextRecord& info, QWidget*) {
        shown =
            std::make_unique<CReadInfoDlg>(info, ChipRow(api_, info.partIndex), Language::english);
    });
    dialog.readInfoButton()->click();
    return shown;
}

void OffLineDialogsTest::emptyFlashLeavesOnlyCancelAndReadInfo() {
    select("VS8A116");
    record_->serialFlags = 0x01;
    COffLineModeDlg dialog(context());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Off-Line Mode setting"));
    QVERIFY(!dialog.okButton()->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{
             dialog.maxCounterEdit(), dialog.enableSerialBox(), dialog.autoIncrementBox(),
             dialog.serialStringEdit(), dialog.serialNumberEdit(), dialog.startAddressEdit()})
        QVERIFY2(!w->isEnabled(), qPrintable(w->metaObject()->className()));
    QVERIFY(dialog.readInfoButton()->isEnabled());
}

void OffLineDialogsTest::entriesAreClampedWithABeep() {
    select("VS8A116"); // 16 KB
    buffers_.flash = {1, 2, 3};
    record_->serialAddress = 0xFFF0; // left from a 64 KB chip
    std::memset(record_->serialString, 0xFF, sizeof record_->serialString);
    std::memcpy(record_->serialString,
                "AB\xFF"
                "CD",
                5);
    COffLineModeDlg dialog(context());
    dialog.setBeep([this] { ++beeps_; });
    // Corrected as the dialog opens.
    QCOMPARE(dialog.startAddressEdit()->text(), QStringLiteral("00003FF0"));
    QCOMPARE(record_->serialAddress, 0x3FF0u);
    QCOMPARE(dialog.endAddressEdit()->text(), QStringLiteral("00003FFF"));
    QCOMPARE(dialog.serialStringEdit()->text(), QStringLiteral("AB"));

    dialog.show();
    typeInto(dialog.maxCounterEdit(), QStringLiteral("70000"));
    QCOMPARE(dialog.maxCounterEdit()->text(), QStringLiteral("65535"));
    QCOMPARE(record_->maxCounter, std::uint16_t{65535});
    QCOMPARE(beeps_, 1);
    typeInto(dialog.maxCounterEdit(), QStringLiteral("0"));
    QCOMPARE(record_->maxCounter, std::uint16_t{0});

    dialog.enableSerialBox()->click();
    QCOMPARE(record_->serialFlags & 0x01, 0x01);
    QVERIFY(dialog.startAddressEdit()->isEnabled());
    typeInto(dialog.startAddressEdit(), QStringLiteral("3FF8"));
    QCOMPARE(dialog.startAddressEdit()->text(), QStringLiteral("00003FF0"));
    QCOMPARE(dialog.endAddressEdit()->text(), QStringLiteral("00003FFF"));
    QCOMPARE(beeps_, 2);
    typeInto(dialog.startAddressEdit(), QStringLiteral("1g0"));
    QCOMPARE(dialog.startAddressEdit()->text(), QStringLiteral("10")); // no letter beyond F
    QCOMPARE(record_->serialAddress, 0x10u);
    QCOMPARE(dialog.endAddressEdit()->text(), QStringLiteral("0000001F"));

    typeInto(dialog.serialStringEdit(), QStringLiteral("LOT-2025-0001-X"));
    QCOMPARE(dialog.serialStringEdit()->text(), QStringLiteral("LOT-2025-000")); // twelve at most
    QCOMPARE(std::memcmp(record_->serialString, "LOT-2025-000", 12), 0);
    typeInto(dialog.serialStringEdit(), QStringLiteral("S"));
    QCOMPARE(record_->serialString[0], std::uint8_t{'S'});
    QCOMPARE(record_->serialString[1], std::uint8_t{0xFF});

    dialog.enableSerialBox()->click();
    QVERIFY(!dialog.startAddressEdit()->isEnabled());
    QVERIFY(!dialog.autoIncrementBox()->isEnabled());
}

void OffLineDialogsTest::cancelKeepsTheEdits() {
    select("VS8A116");
    buffers_.flash = {1};
    COffLineModeDlg dialog(context());
    dialog.show();
    typeInto(dialog.maxCounterEdit(), QStringLiteral("12"));
    dialog.enableSerialBox()->click();
    dialog.autoIncrementBox()->click();
    typeInto(dialog.serialNumberEdit(), QStringLiteral("abc"));
    dialog.reject();
    QCOMPARE(record_->maxCounter, std::uint16_t{12});
    QCOMPARE(record_->serialFlags & 0x02, 0x02);
    QCOMPARE(record_->serialNumber, 0xABCu);
    QCOMPARE(record_->serialFlags, std::uint8_t{0x03});
}

void OffLineDialogsTest::downloadThenReadBackShowsEveryField() {
    select("VS8K116"); // with EEPROM
    buffers_.flash.assign(300, 0x5A);
    std::fill(buffers_.eeprom.begin(), buffers_.eeprom.end(), 0x01);
    // The operator fills the dialog and presses OK.
    QTimer::singleShot(0, [this] {
        auto* dialog = qobject_cast<COffLineModeDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        typeInto(dialog->maxCounterEdit(), QStringLiteral("500"));
        dialog->enableSerialBox()->click();
        dialog->autoIncrementBox()->click();
        typeInto(dialog->serialStringEdit(), QStringLiteral("SN-"));
        typeInto(dialog->serialNumberEdit(), QStringLiteral("100"));
        typeInto(dialog->startAddressEdit(), QStringLiteral("3F00"));
        dialog->okButton()->click();
    });
    QVERIFY(AskOffLineSettings(context(), nullptr));
    int shown = 0;
    ProgressHooks hooks;
    hooks.showProgress = [&](bool visible) { shown += visible ? 1 : 0; };
    QCOMPARE(DownloadOffLine(api_, *record_, buffers_, *log_, hooks), S8_PASS);
    QCOMPARE(shown, 1);
    QCOMPARE(record_->flashData, nullptr);
    QVERIFY(std::string(log_->text()).starts_with("000 - Off-Line Mode =>Pass"));

    COffLineModeDlg again(context());
    const auto info = readBack(again);
    QVERIFY(info != nullptr);
    QCOMPARE(info->valueOf("PartNo : "), QStringLiteral("VS8K116"));
    QCOMPARE(info->valueOf("Start Address : "), QStringLiteral("0x00000000"));
    QCOMPARE(info->valueOf("Flash Size : "), QStringLiteral("300"));
    QCOMPARE(info->valueOf("Flash Check Sum : "),
             QStringLiteral("%1").arg(300 * 0x5A % 65536, 4, 16, QLatin1Char('0')).toUpper());
    QCOMPARE(info->valueOf("EEPROM Size : "), QStringLiteral("512"));
    QCOMPARE(info->valueOf("EEPROM Check Sum : "), QStringLiteral("0200"));
    QVERIFY(info->isTicked("Enable Serial Number"));
    QVERIFY(info->isTicked("Auto Increment Number"));
    QCOMPARE(info->valueOf("Address : "), QStringLiteral("0x00003F00"));
    QCOMPARE(info->valueOf("String : "), QStringLiteral("SN-"));
    QCOMPARE(info->valueOf("Number : "), QStringLiteral("0x00000100"));
    QCOMPARE(info->valueOf("Current Number : "), QStringLiteral("0x00000100"));
    QCOMPARE(info->valueOf("Max Counter : "), QStringLiteral("500"));
    QCOMPARE(info->valueOf("Current counter : "), QStringLiteral("0"));
    // The steps stored with the image, not the window's current ones.
    for (const char* step :
         {"WholeChip Erase", "Blank Check", "Program", "Verify", "Write Options"})
        QVERIFY2(info->isTicked(step), step);
    QVERIFY(!info->isTicked("Erase"));
    QVERIFY(std::string(log_->text()).find("001 - Read Info =>Pass") != std::string::npos);
}

void OffLineDialogsTest::readBackAfterStandAloneRunShowsTheCounters() {
    select("VS8A116");
    buffers_.flash.assign(64, 0x22);
    buffers_.record(BufferTab::flash).kind = BufferKind::singleFile;
    record_->maxCounter = 10;
    record_->serialFlags = 0x03;
    record_->serialNumber = 0x100;
    std::memcpy(record_->serialString, "SN-", 3);
    QCOMPARE(DownloadOffLine(api_, *record_, buffers_, *log_), S8_PASS);

    const scriba8::sim::OffLineRun run = scriba8::sim::virtualProgrammer().runOffLine(3);
    QCOMPARE(run.programmed, 3);

    record_->maxCounter = 99; // the window's values are not what is shown
    COffLineModeDlg dialog(context());
    const auto info = readBack(dialog);
    QVERIFY(info != nullptr);
    QCOMPARE(info->valueOf("Max Counter : "), QStringLiteral("10"));
    QCOMPARE(info->valueOf("Current counter : "), QStringLiteral("3"));
    QCOMPARE(info->valueOf("Current Number : "), QStringLiteral("0x00000103"));
    QCOMPARE(info->valueOf("ISP_SIZE : "), QStringLiteral("0.0 k"));
}

void OffLineDialogsTest::erasedProgrammerShowsNoDialog() {
    select("VS8A116");
    COffLineModeDlg dialog(context());
    QVERIFY(readBack(dialog) == nullptr);
    QVERIFY(std::string(log_->text()).starts_with("000 - Read Info =>Info is empty"));
}

void OffLineDialogsTest::unknownPartIsSaidSo() {
    ContextRecord info{};
    info.partIndex = -1;
    info.maxCounter = 7;
    info.trimWord = 0x0601;
    info.itemValue[0] = 3;
    CReadInfoDlg dialog(info, nullptr, Language::chinese);
    QCOMPARE(dialog.valueOf("芯片型号 : "), QStringLiteral("(本程序没有与存储的型号对应的芯片)"));
    QCOMPARE(dialog.valueOf("最大次数 : "), QStringLiteral("7"));
    QCOMPARE(dialog.valueOf("频率 : "), QStringLiteral("22.1184M"));
    QVERIFY(dialog.isTicked("启用设置频率"));
}

// With SCRIBA8_SCREENSHOTS set to a folder, both dialogs after a download
// and three stand-alone chips are saved there for the documentation.
void OffLineDialogsTest::screenshots() {
    const QString folder = qEnvironmentVariable("SCRIBA8_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("SCRIBA8_SCREENSHOTS not set");
    select("VS8K116");
    buffers_.flash.assign(4096, 0x33);
    record_->maxCounter = 1000;
    record_->serialFlags = 0x03;
    record_->serialNumber = 0x2025;
    std::memcpy(record_->serialString, "LOT7-", 5);
    QCOMPARE(DownloadOffLine(api_, *record_, buffers_, *log_), S8_PASS);
    scriba8::sim::virtualProgrammer().runOffLine(3);
    for (Language language : {Language::english, Language::chinese}) {
        const QString suffix = language == Language::english ? "-en" : "-zh";
        OffLineDialogContext shown = context();
        shown.language = language;
        COffLineModeDlg dialog(shown);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.grab().save(QDir(folder).filePath("offline-mode" + suffix + ".png")));
        dialog.setInfoPresenter([&](const ContextRecord& info, QWidget*) {
            CReadInfoDlg read(info, ChipRow(api_, info.partIndex), language);
            read.show();
            QVERIFY(QTest::qWaitForWindowExposed(&read));
            QVERIFY(read.grab().save(QDir(folder).filePath("read-info" + suffix + ".png")));
        });
        dialog.readInfoButton()->click();
    }
}

QTEST_MAIN(OffLineDialogsTest)
#include "offline_dialogs_test.moc"
