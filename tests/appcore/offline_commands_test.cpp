// SPDX-License-Identifier: MIT
// The off-line download and read-back as the front ends run them.
#include "chip_selection.h"
#include "fake_library.h"
#include "offline_commands.h"
#include "status_word.h"

#include <gtest/gtest.h>

#include <memory>

namespace scriba8::app {
namespace {

using test::Fake;

class OffLine : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetFake();
        record_->status = &status_;
        ASSERT_TRUE(SelectChip(api_, *record_, buffers_, test::kChipWithEeprom));
    }

    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_ = std::make_unique<ContextRecord>();
    CodeBuffers buffers_;
    OperationLog log_{Language::english, [] { return 0u; }};
    LibraryApi api_ = test::FakeApi();
};

TEST_F(OffLine, DownloadSendsBothBuffersWithTheRunningBitAndReportsProgress) {
    buffers_.flash = {1, 2, 3};
    record_->maxCounter = 500;
    Fake().behave = [](const std::string&, ContextRecord& record) {
        StatusWord(record.status).progress(50);
        return std::int32_t{S8_PASS};
    };
    std::vector<std::uint16_t> progress;
    ProgressHooks hooks;
    hooks.progress = [&](std::uint16_t p) { progress.push_back(p); };

    ASSERT_EQ(DownloadOffLine(api_, *record_, buffers_, log_, hooks), S8_PASS);
    const test::Call& call = Fake().calls.at(0);
    EXPECT_EQ(call.name, "OffLineMode");
    EXPECT_EQ(call.flash, buffers_.flash);
    EXPECT_EQ(call.seen.flashFullChecksum, 0xDD09);
    EXPECT_EQ(call.eeprom.size(), 0x200u);
    EXPECT_EQ(call.seen.maxCounter, 500);
    EXPECT_EQ(call.seen.autoProcess, S8_DEFAULT_AUTO_PROCESS | S8_STEP_RUNNING);
    EXPECT_EQ(record_->autoProcess, S8_DEFAULT_AUTO_PROCESS);
    EXPECT_EQ(record_->flashData, nullptr);
    EXPECT_EQ(loadStatus(&status_), S8_PASS);
    EXPECT_LE(progress.size(), 1u); // 50 at most once, never 0
    EXPECT_EQ(log_.text(), "000 - Off-Line Mode =>Pass   [0.000\"]\r\n");
}

TEST_F(OffLine, DownloadWithoutCodeForAChipWithoutEepromIsRefused) {
    ASSERT_TRUE(SelectChip(api_, *record_, buffers_, test::kChipWithoutEeprom));
    EXPECT_EQ(DownloadOffLine(api_, *record_, buffers_, log_), S8_FAIL);
    EXPECT_TRUE(Fake().calls.empty());
    EXPECT_EQ(log_.text(), "000 - Off-Line Mode =>Buffer is empty   [0.000\"]\r\n");
}

TEST_F(OffLine, ReadBackFillsARecordOfItsOwn) {
    Fake().behave = [](const std::string&, ContextRecord& record) {
        record.partIndex = test::kChipWithoutEeprom;
        record.currentCounter = 12;
        return std::int32_t{S8_PASS};
    };
    OffLineInfo read = ReadOffLineInfo(api_, *record_, log_);
    ASSERT_EQ(read.result, S8_PASS);
    ASSERT_NE(read.info, nullptr);
    EXPECT_EQ(read.info->partIndex, test::kChipWithoutEeprom);
    EXPECT_EQ(read.info->currentCounter, 12);
    EXPECT_EQ(read.info->status, nullptr);
    EXPECT_EQ(Fake().calls[0].seen.partIndex, -1);
    EXPECT_EQ(record_->partIndex, test::kChipWithEeprom);
    EXPECT_EQ(loadStatus(&status_), 0); // the main record's word is not used

    Fake().behave = [](const std::string&, ContextRecord&) {
        return std::int32_t{S8_NO_OFFLINE_INFO};
    };
    read = ReadOffLineInfo(api_, *record_, log_);
    EXPECT_EQ(read.result, S8_NO_OFFLINE_INFO);
    EXPECT_EQ(read.info, nullptr);
    EXPECT_NE(log_.text().find("001 - Read Info =>Info is empty"), std::string::npos);
}

} // namespace
} // namespace scriba8::app
