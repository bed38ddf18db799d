// SPDX-License-Identifier: MIT
// "Save VLX" from the window's point of view, on the real device library:
// the file dialog through the host table, the log line, the remembered
// folder, the request form after a save, and the refusals.
#include "chip_selection.h"
#include "save_vlx_command.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>
#include <string>

using namespace scriba8::app;

namespace {

std::int32_t ChipNamed(const char* name) {
    const BodyInfo* rows = nullptr;
    const std::int32_t count = DeviceLibrary().GetBodyInfo(&rows);
    for (std::int32_t i = 0; i < count; ++i)
        if (std::strcmp(rows[i].partName, name) == 0) return i;
    return -1;
}

// The library's save dialog as the window answers it.
struct SaveDialogAnswer {
    std::string path; // empty: the user cancels
    std::string initialFolder;
    int asked = 0;
};

int chooseSaveFile(void* user, const char*, const char*, const char*, const char* initialFolder,
                   char* path, size_t pathSize) {
    auto& answer = *static_cast<SaveDialogAnswer*>(user);
    ++answer.asked;
    answer.initialFolder = initialFolder;
    if (answer.path.empty()) return 0;
    std::snprintf(path, pathSize, "%s", answer.path.c_str());
    return 1;
}

} // namespace

class SaveVlxCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void savedProjectOpensTheRequestForm();
    void cancelledFileDialogKeepsTheFolder();
    void chipWithoutEepromNeedsCode();
    void eepromLayoutChipWithoutEepromSavesNoEeprom();
    void cancelledCustomerStringSavesNothing();

  private:
    void select(const char* part);
    std::int32_t run();

    QTemporaryDir dir_;
    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_;
    CodeBuffers buffers_;
    std::unique_ptr<OperationLog> log_;
    std::string folder_;
    SaveDialogAnswer answer_;
    S8HostCallbacks host_{};
    int formShown_ = 0;
    std::function<bool()> customerString_;
};

void SaveVlxCommandTest::init() {
    record_ = std::make_unique<ContextRecord>();
    record_->status = &status_;
    host_ = {};
    host_.user = &answer_;
    host_.chooseSaveFile = chooseSaveFile;
    record_->host = &host_;
    answer_ = {};
    log_ = std::make_unique<OperationLog>(Language::english, [] { return 0u; });
    folder_ = "/remembered/";
    formShown_ = 0;
    customerString_ = nullptr;
}

void SaveVlxCommandTest::select(const char* part) {
    const std::int32_t row = ChipNamed(part);
    QVERIFY2(row >= 0, part);
    QVERIFY(SelectChip(DeviceLibrary(), *record_, buffers_, row));
}

std::int32_t SaveVlxCommandTest::run() {
    SaveVlxContext context;
    context.api = &DeviceLibrary();
    context.record = record_.get();
    context.buffers = &buffers_;
    context.log = log_.get();
    context.saveVlxFolder = &folder_;
    context.customerString = customerString_;
    context.requestForm = [this] { ++formShown_; };
    return RunSaveVlxCommand(context);
}

void SaveVlxCommandTest::savedProjectOpensTheRequestForm() {
    select("VS8K116");
    buffers_.flash = {0x02, 0x00, 0x03, 0x80, 0xFE};
    answer_.path = dir_.filePath("job.vlx").toStdString();
    QCOMPARE(run(), S8_PASS);
    QCOMPARE(answer_.initialFolder, std::string("/remembered/"));
    QCOMPARE(folder_, dir_.path().toStdString() + "/");
    QCOMPARE(formShown_, 1);
    QCOMPARE(QString::fromUtf8(record_->projectFile), QStringLiteral("job.vlx"));
    QVERIFY(QFileInfo(dir_.filePath("job.vlx")).size() > 0);
    QCOMPARE(record_->flashData, nullptr);
    QCOMPARE(record_->eepromData, nullptr);
    QCOMPARE(record_->autoProcess, std::uint16_t{S8_DEFAULT_AUTO_PROCESS});
    QCOMPARE(std::string(log_->text()), std::string("000 - Save VLX =>Pass   [0.000\"]\r\n"));
}

void SaveVlxCommandTest::cancelledFileDialogKeepsTheFolder() {
    select("VS8K116");
    QCOMPARE(run(), S8_CANCELLED);
    QCOMPARE(answer_.asked, 1);
    QCOMPARE(folder_, std::string("/remembered/"));
    QCOMPARE(formShown_, 0);
    QCOMPARE(std::string(log_->text()), std::string("000 - Save VLX =>Cancel   [0.000\"]\r\n"));
}

void SaveVlxCommandTest::chipWithoutEepromNeedsCode() {
    select("VS8A108");
    answer_.path = dir_.filePath("never.vlx").toStdString();
    QCOMPARE(run(), S8_FAIL);
    QCOMPARE(answer_.asked, 0);
    QCOMPARE(std::string(log_->text()),
             std::string("000 - Save VLX =>Buffer is empty   [0.000\"]\r\n"));
}

void SaveVlxCommandTest::eepromLayoutChipWithoutEepromSavesNoEeprom() {
    select("VS8M164");
    buffers_.flash.assign(100, 0x11);
    buffers_.record(BufferTab::flash).kind = BufferKind::singleFile;
    std::uint8_t stale[4] = {1, 2, 3, 4};
    record_->eepromData = stale; // left from an earlier command
    record_->eepromLength = 512;
    answer_.path = dir_.filePath("m164.vlx").toStdString();
    QCOMPARE(run(), S8_PASS);

    auto loaded = std::make_unique<ContextRecord>();
    std::uint16_t status = 0;
    loaded->status = &status;
    loaded->eepromLength = 0xFFFF;
    std::snprintf(loaded->projectFile, sizeof loaded->projectFile, "%s", answer_.path.c_str());
    QCOMPARE(DeviceLibrary().LoadVLXFooter(loaded.get()), S8_PASS);
    QCOMPARE(loaded->eepromLength, 0u);
    QCOMPARE(loaded->flashLength, 100u);
}

void SaveVlxCommandTest::cancelledCustomerStringSavesNothing() {
    // No chip of the table takes a customer string: a row that does.
    static BodyInfo row{};
    static const BodyInfo* rows = nullptr;
    DeviceLibrary().GetBodyInfo(&rows);
    row = rows[ChipNamed("VS8K116")];
    row.customerStringSupported = 1;
    LibraryApi api = DeviceLibrary();
    api.GetBodyInfo = [](const BodyInfo** first) {
        *first = &row;
        return std::int32_t{1};
    };
    record_->partIndex = 0;
    buffers_.flash = {1, 2, 3};
    answer_.path = dir_.filePath("never.vlx").toStdString();
    int asked = 0;
    SaveVlxContext context;
    context.api = &api;
    context.record = record_.get();
    context.buffers = &buffers_;
    context.log = log_.get();
    context.saveVlxFolder = &folder_;
    context.customerString = [&] { return ++asked, false; };
    context.requestForm = [this] { ++formShown_; };
    QCOMPARE(RunSaveVlxCommand(context), S8_CANCELLED);
    QCOMPARE(asked, 1);
    QCOMPARE(answer_.asked, 0);
    QCOMPARE(record_->flashData, nullptr);
    QCOMPARE(std::string(log_->text()), std::string("000 - Save VLX =>Cancel   [0.000\"]\r\n"));
}

QTEST_MAIN(SaveVlxCommandTest)
#include "save_vlx_command_test.moc"
