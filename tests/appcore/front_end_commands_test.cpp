// SPDX-License-Identifier: MIT
// Chip selection, project saving and ISP insertion as the front ends run
// them, against the scripted library.
#include "chip_selection.h"
#include "fake_library.h"
#include "isp_inserter.h"
#include "project_saver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <memory>

namespace scriba8::app {
namespace {

using test::Fake;

class FrontEnd : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetFake();
        record_->status = &status_;
        record_->host = &host_;
        ASSERT_TRUE(SelectChip(api_, *record_, buffers_, test::kChipWithEeprom));
    }

    std::uint16_t status_ = 0;
    S8HostCallbacks host_{};
    std::unique_ptr<ContextRecord> record_ = std::make_unique<ContextRecord>();
    CodeBuffers buffers_;
    OperationLog log_{Language::english, [] { return 0u; }};
    LibraryApi api_ = test::FakeApi();
};

TEST_F(FrontEnd, SelectingAChipResetsEverythingThatDependsOnIt) {
    std::strcpy(record_->codeFileName, "old.hex");
    record_->autoProcess = 0x00FF;
    record_->maxCounter = 9;
    buffers_.flash = {1, 2, 3};
    buffers_.loadOffset = 0x100;

    ASSERT_TRUE(SelectChip(api_, *record_, buffers_, test::kChipWithEeprom));
    EXPECT_EQ(record_->partIndex, test::kChipWithEeprom);
    EXPECT_TRUE(buffers_.flash.empty());
    EXPECT_EQ(buffers_.eeprom, std::vector<std::uint8_t>(0x200, 0xFF));
    EXPECT_EQ(record_->eepromLength, 0x200u);
    EXPECT_EQ(record_->eepromChecksum, 0xFE00);
    EXPECT_EQ(record_->serialAddress, 0x2000u - 16);
    EXPECT_EQ(record_->autoProcess, S8_DEFAULT_AUTO_PROCESS);
    EXPECT_EQ(record_->maxCounter, 0);
    EXPECT_EQ(record_->ispCodeSource, 0xFF);
    EXPECT_STREQ(record_->codeFileName, "");
    EXPECT_EQ(buffers_.loadOffset, 0u);
    EXPECT_EQ(record_->status, &status_);
    EXPECT_EQ(record_->host, &host_);

    // A row that does not exist changes nothing.
    record_->maxCounter = 5;
    EXPECT_FALSE(SelectChip(api_, *record_, buffers_, 2));
    EXPECT_FALSE(SelectChip(api_, *record_, buffers_, -1));
    EXPECT_EQ(record_->partIndex, test::kChipWithEeprom);
    EXPECT_EQ(record_->maxCounter, 5);
}

TEST(ChipDefaults, UsedSlotsTakeTheChipsDefaultsAndEmptySlotsZero) {
    BodyInfo chip{};
    for (OptionItem& item : chip.items) item = {"NA", "", 3};
    for (OptionBit& bit : chip.bits) bit = {"NA", 0, "", 1};
    chip.items[0] = {"ISP_SIZE", "0|0x30,1024|0x20", 1};
    chip.bits[0] = {"LOCK", 0, "Lock Device\0设备数据加锁", 1};
    chip.bits[1] = {"SB", 0, "", 0};
    chip.bits[2] = {"MOVCL", 0, "", 7}; // any non-zero default is active

    auto record = std::make_unique<ContextRecord>();
    std::fill(std::begin(record->bitValue), std::end(record->bitValue), 9u);
    ApplyDefaultSelection(chip, *record);
    EXPECT_EQ(record->itemValue[0], 1);
    EXPECT_EQ(record->itemValue[1], 0);
    EXPECT_EQ(record->bitValue[0], 1u);
    EXPECT_EQ(record->bitValue[1], 0u);
    EXPECT_EQ(record->bitValue[2], 1u);
    EXPECT_EQ(record->bitValue[13], 0u);
}

TEST(ChipDefaults, ADecodedIapAreaIsWrittenOnePageLessOnA64KChipWithoutIspArea) {
    BodyInfo chip{};
    for (OptionItem& item : chip.items) item = {"NA", "", 0};
    chip.flashSize = 0x10000;
    chip.items[0] = {"ISP_SIZE", "0|0xE0,1024|0xC0", 0};
    chip.items[1] = {"IAP_SIZE", "C8051-IAP", 0};
    auto record = std::make_unique<ContextRecord>();

    record->itemValue[1] = 3; // 1.5 KB decoded
    AdoptDecodedSelection(chip, *record);
    EXPECT_EQ(record->itemValue[1], 2);
    record->itemValue[1] = 0;
    AdoptDecodedSelection(chip, *record);
    EXPECT_EQ(record->itemValue[1], 0);

    // Beside an ISP area, or on a smaller chip, the values agree.
    record->itemValue[0] = 1;
    record->itemValue[1] = 3;
    AdoptDecodedSelection(chip, *record);
    EXPECT_EQ(record->itemValue[1], 3);
    record->itemValue[0] = 0;
    chip.flashSize = 0x8000;
    AdoptDecodedSelection(chip, *record);
    EXPECT_EQ(record->itemValue[1], 3);
}

TEST_F(FrontEnd, SavingLendsBothBuffersWithTheRunningBitOnlyDuringTheCall) {
    buffers_.flash = {1, 2, 3};
    buffers_.eeprom.assign(0x200, 0x00);
    buffers_.eeprom[0] = 7;
    ASSERT_EQ(SaveProject(api_, *record_, buffers_, log_), S8_PASS);

    ASSERT_EQ(Fake().names(), std::vector<std::string>{"SaveVLX"});
    const test::Call& call = Fake().calls.front();
    EXPECT_EQ(call.flash, buffers_.flash);
    EXPECT_EQ(call.seen.flashChecksum, 6);
    EXPECT_EQ(call.seen.flashFullChecksum, 0xDD09);
    EXPECT_EQ(call.eeprom, buffers_.eeprom);
    EXPECT_EQ(call.seen.eepromChecksum, 7);
    EXPECT_EQ(call.seen.autoProcess, S8_DEFAULT_AUTO_PROCESS | S8_STEP_RUNNING);
    EXPECT_EQ(record_->autoProcess, S8_DEFAULT_AUTO_PROCESS);
    EXPECT_EQ(record_->flashData, nullptr);
    EXPECT_EQ(record_->eepromData, nullptr);
    EXPECT_EQ(log_.text(), "000 - Save VLX =>Pass   [0.000\"]\r\n");
}

TEST_F(FrontEnd, SavingForAChipWithoutEepromNeedsCodeAndSendsNoStaleEeprom) {
    ASSERT_TRUE(SelectChip(api_, *record_, buffers_, test::kChipWithoutEeprom));
    EXPECT_EQ(SaveProject(api_, *record_, buffers_, log_), S8_FAIL);
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(log_.text(), "000 - Save VLX =>Buffer is empty   [0.000\"]\r\n");

    buffers_.flash = {0x55};
    buffers_.record(BufferTab::flash).kind = BufferKind::singleFile;
    std::uint8_t stale[4] = {};
    record_->eepromData = stale;
    record_->eepromLength = 4;
    Fake().behave = [](const std::string&, ContextRecord&) { return std::int32_t{S8_FILE_ERROR}; };
    EXPECT_EQ(SaveProject(api_, *record_, buffers_, log_), S8_FILE_ERROR);
    ASSERT_EQ(Fake().calls.size(), 1u);
    EXPECT_EQ(Fake().calls[0].seen.eepromData, nullptr);
    EXPECT_EQ(Fake().calls[0].seen.eepromLength, 0u);
    EXPECT_NE(log_.text().find("001 - Save VLX =>Open file error"), std::string::npos);
}

// Puts a 4-byte image at the top 1 KB of the chip, as the library would.
std::int32_t placeImage(const std::string&, ContextRecord& record) {
    const std::uint32_t start = 0x2000 - 1024;
    std::memset(record.flashData + start, 0xA5, 4);
    record.flashLength = std::max(record.flashLength, start + 4);
    record.itemValue[0] = 1;
    return S8_PASS;
}

TEST_F(FrontEnd, InsertedIspCodeExtendsTheBufferAndNamesIt) {
    Fake().behave = placeImage;
    IspInsertOutcome outcome = InsertIspCode(api_, *record_, buffers_, log_, IspCodeChoice{});
    ASSERT_EQ(outcome.result, S8_PASS);
    EXPECT_EQ(Fake().calls[0].seen.ispCodeSource, 0);
    EXPECT_EQ(Fake().calls[0].seen.flashLength, 0u);
    ASSERT_EQ(buffers_.flash.size(), 0x2000u - 1024 + 4);
    EXPECT_EQ(buffers_.flash[0], 0xFF);
    EXPECT_EQ(buffers_.flash.back(), 0xA5);
    EXPECT_EQ(buffers_.record(BufferTab::flash).kind, BufferKind::ispInserted);
    EXPECT_EQ(outcome.displayName, "Default");
    EXPECT_EQ(outcome.summary.length, buffers_.flash.size());
    EXPECT_EQ(record_->itemValue[0], 1);

    // Into a loaded file, from a user's file: the label is the file's name.
    buffers_.flash = {1, 2};
    buffers_.record(BufferTab::flash).kind = BufferKind::singleFile;
    buffers_.record(BufferTab::flash).fillMode = FillMode::zeros;
    const std::string userFile =
        ::testing::TempDir() + "boot-" + std::to_string(::getpid()) + ".hex";
    std::ofstream(userFile) << ":00000001FF\r\n";
    outcome = InsertIspCode(api_, *record_, buffers_, log_, IspCodeChoice{false, userFile});
    std::remove(userFile.c_str());
    ASSERT_EQ(outcome.result, S8_PASS);
    EXPECT_EQ(Fake().calls[1].seen.ispCodeSource, 1);
    EXPECT_EQ(Fake().calls[1].seen.flashLength, 0x2000u); // filled before the call
    EXPECT_EQ(buffers_.flash.size(), 0x2000u);
    EXPECT_EQ(buffers_.flash[2], 0x00);
    const std::string name = std::filesystem::path(userFile).filename().string();
    EXPECT_EQ(outcome.displayName, name + " (Mixed file)");
    EXPECT_EQ(record_->ispCodeFile, name);
}

TEST_F(FrontEnd, AFailedInsertionLeavesTheBufferAlone) {
    buffers_.flash = {1, 2, 3};
    buffers_.record(BufferTab::flash).kind = BufferKind::singleFile;
    Fake().behave = [](const std::string&, ContextRecord& record) {
        record.flashData[0] = 0xEE; // whatever the library scribbled
        return std::int32_t{S8_FILE_TOO_LARGE};
    };
    IspInsertOutcome outcome = InsertIspCode(api_, *record_, buffers_, log_, IspCodeChoice{});
    EXPECT_EQ(outcome.result, S8_FILE_TOO_LARGE);
    EXPECT_EQ(buffers_.flash, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(buffers_.record(BufferTab::flash).kind, BufferKind::singleFile);
    EXPECT_EQ(log_.text(), "000 - Insert ISP-code =>File is too large !   [0.000\"]\r\n");
}

} // namespace
} // namespace scriba8::app
