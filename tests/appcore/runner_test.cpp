// SPDX-License-Identifier: MIT
#include "device_runner.h"
#include "fake_library.h"
#include "hex_text.h"
#include "status_word.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

namespace scriba8::app {
namespace {

using test::Fake;

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetFake();
        record_->status = &status_;
        record_->partIndex = test::kChipWithEeprom;
        record_->host = &host_;
        record_->autoProcess = S8_DEFAULT_AUTO_PROCESS;
    }

    CommandOutcome run(DeviceCommand command) { return runner_.run(command, buffers_); }
    const test::Call& onlyCall() {
        EXPECT_EQ(Fake().calls.size(), 1u);
        return Fake().calls.front();
    }

    std::uint16_t status_ = 0;
    S8HostCallbacks host_{};
    std::unique_ptr<ContextRecord> record_ = std::make_unique<ContextRecord>();
    CodeBuffers buffers_;
    OperationLog log_{Language::english, [] { return 0u; }};
    LibraryApi api_ = test::FakeApi();
    std::vector<std::uint16_t> progress_;
    std::vector<std::pair<bool, std::size_t>> progressShown_; // visible, log length then
    std::atomic<bool> sawProgress_{false};
    DeviceRunner runner_{api_, *record_, log_,
                         ProgressHooks{[this](bool visible) {
                                           progressShown_.emplace_back(visible,
                                                                       log_.text().size());
                                       },
                                       [this](std::uint16_t p) {
                                           progress_.push_back(p);
                                           sawProgress_ = true;
                                       },
                                       {},
                                       {}}};
};

TEST_F(Runner, WorkerProgressRisesAndTheResultIsReadAfterTheJoin) {
    Fake().behave = [this](const std::string&, ContextRecord& record) {
        StatusWord status(record.status);
        for (std::uint16_t p = 1; p <= 100; ++p) {
            status.progress(p);
            // On a loaded machine the poller may not run at all before the
            // worker ends; hold at half way until it has seen a value.
            for (int waited = 0; p == 50 && !sawProgress_ && waited < 5000; ++waited)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        record.currentCounter = 77; // written by the worker, read after the join
        return std::int32_t{S8_PASS};
    };
    CommandOutcome outcome = run(DeviceCommand::blankCheck);
    EXPECT_EQ(outcome.result, S8_PASS);
    EXPECT_EQ(loadStatus(&status_), S8_PASS);
    EXPECT_EQ(record_->currentCounter, 77);
    ASSERT_FALSE(progress_.empty());
    for (std::size_t i = 0; i < progress_.size(); ++i) {
        EXPECT_GE(progress_[i], 1);
        EXPECT_LE(progress_[i], 100);
        if (i > 0) {
            EXPECT_GT(progress_[i], progress_[i - 1]);
        }
    }
    // Shown, then hidden before the outcome is written.
    const std::size_t startLine = std::string("000 - Blank Check =>").size();
    ASSERT_EQ(progressShown_.size(), 2u);
    EXPECT_EQ(progressShown_[0], std::make_pair(true, startLine));
    EXPECT_EQ(progressShown_[1], std::make_pair(false, startLine));
    EXPECT_EQ(log_.text(), "000 - Blank Check =>Pass   [0.000\"]\r\n");
}

TEST_F(Runner, ACallLeavingNoFinalCodeIsAFailure) {
    Fake().writeFinalCode = false;
    Fake().behave = [](const std::string&, ContextRecord& record) {
        StatusWord(record.status).progress(40);
        return std::int32_t{7};
    };
    EXPECT_EQ(run(DeviceCommand::verify).result, S8_FAIL);
    EXPECT_EQ(loadStatus(&status_), S8_FAIL);
    EXPECT_EQ(run(DeviceCommand::erase).result, S8_FAIL);
    EXPECT_EQ(loadStatus(&status_), S8_FAIL);
    // Without a final code in the word, the return value stands.
    Fake().behave = [](const std::string&, ContextRecord&) { return std::int32_t{S8_PASS}; };
    EXPECT_EQ(run(DeviceCommand::program).result, S8_PASS);
}

TEST_F(Runner, WritingCommandsGetACopyWithTheirChecksums) {
    buffers_.flash = {1, 2, 3};
    run(DeviceCommand::program);
    const test::Call program = onlyCall();
    EXPECT_EQ(program.flash, buffers_.flash);
    EXPECT_EQ(program.seen.flashStart, 0u);
    EXPECT_EQ(program.seen.flashChecksum, 0x0006);
    EXPECT_EQ(program.seen.flashFullChecksum, 0xDD09);
    EXPECT_EQ(record_->flashData, nullptr); // released after the call

    // Write Options computes the chip checksum itself: "Save Chip Checksum"
    // may be on without Program in the same run.
    test::ResetFake();
    record_->flashFullChecksum = 0;
    buffers_.flash = {0x10};
    run(DeviceCommand::writeOptions);
    EXPECT_EQ(onlyCall().seen.flashFullChecksum, ChipChecksum(buffers_.flash, 0x2000));
    EXPECT_EQ(onlyCall().seen.flashChecksum, 0x10);

    test::ResetFake();
    buffers_.flash.clear();
    run(DeviceCommand::verify);
    EXPECT_EQ(onlyCall().seen.flashLength, 0u);
    EXPECT_NE(onlyCall().seen.flashData, nullptr); // a write of length 0, never a null buffer

    test::ResetFake();
    buffers_.eeprom.assign(0x200, 0xFF);
    buffers_.eeprom[0] = 0x5F;
    run(DeviceCommand::eepromProgram);
    EXPECT_EQ(onlyCall().eeprom, buffers_.eeprom);
    EXPECT_EQ(onlyCall().seen.eepromChecksum, 0xFD60);
    EXPECT_EQ(record_->eepromData, nullptr);
}

TEST_F(Runner, ReadOptionsWorksOnATemporaryRecord) {
    record_->itemValue[0] = 1;
    std::strcpy(record_->projectFile, "keep.vlx");
    status_ = 0x4242;
    Fake().behave = [](const std::string&, ContextRecord& record) {
        record.itemValue[0] = 3;
        record.bitValue[13] = 1;
        return std::int32_t{S8_PASS};
    };
    CommandOutcome outcome = run(DeviceCommand::readOptions);
    const test::Call& call = onlyCall();
    EXPECT_NE(call.record, record_.get());
    EXPECT_EQ(call.seen.partIndex, test::kChipWithEeprom);
    EXPECT_EQ(call.seen.host, &host_); // a firmware question still reaches the user
    EXPECT_NE(call.seen.status, &status_);
    EXPECT_EQ(call.seen.projectFile[0], '\0');
    EXPECT_EQ(call.seen.itemValue[0], 0);
    ASSERT_TRUE(outcome.readSelection);
    EXPECT_EQ(outcome.readSelection->itemValue[0], 3);
    EXPECT_EQ(outcome.readSelection->bitValue[13], 1u);
    EXPECT_EQ(record_->itemValue[0], 1); // what Write Options writes stays as set
    EXPECT_EQ(status_, 0x4242);
}

TEST_F(Runner, ChipChecksumIsLoggedOnlyOnSuccess) {
    record_->autoProcess |= S8_STEP_RUNNING;
    log_.setAutoRunning(true); // never a step: still numbered
    CommandOutcome outcome = run(DeviceCommand::readChipChecksum);
    EXPECT_EQ(onlyCall().checksumIn, 0xFFFF);
    EXPECT_EQ(outcome.chipChecksum, std::optional<std::uint16_t>(0x1A2B));
    Fake().behave = [](const std::string&, ContextRecord&) { return std::int32_t{S8_CHIP_LOCKED}; };
    EXPECT_FALSE(run(DeviceCommand::readChipChecksum).chipChecksum);
    EXPECT_EQ(log_.text(), "000 - Read Chip Checksum =>Pass   [0.000\"]\r\n"
                           "   Chip Checksum :  0x1A2B\r\n"
                           "001 - Read Chip Checksum =>ID Locked   [0.000\"]\r\n");
}

TEST_F(Runner, DumpTargetHandsBackChipSizedImages) {
    buffers_.flash = {1, 2, 3};
    Fake().behave = [](const std::string&, ContextRecord& record) {
        record.flashData[0] = 0xC3;
        record.eepromData[record.eepromLength - 1] = 0x00;
        record.bitValue[2] = 1;
        return std::int32_t{S8_PASS};
    };
    CommandOutcome outcome = run(DeviceCommand::dumpTarget);
    const test::Call& call = onlyCall();
    EXPECT_EQ(call.flash, std::vector<std::uint8_t>(0x2000, 0xFF));
    EXPECT_EQ(call.eeprom, std::vector<std::uint8_t>(0x200, 0xFF));
    EXPECT_NE(call.seen.status, &status_);
    ASSERT_TRUE(outcome.dump);
    EXPECT_EQ(outcome.dump->flash.size(), 0x2000u);
    EXPECT_EQ(outcome.dump->flash[0], 0xC3);
    EXPECT_EQ(outcome.dump->flashSummary.bufferChecksum, outcome.dump->flashSummary.chipChecksum);
    EXPECT_EQ(outcome.dump->eepromChecksum, static_cast<std::uint16_t>(0x1FF * 0xFF));
    EXPECT_EQ(outcome.readSelection->bitValue[2], 1u);

    ApplyDump(buffers_, std::move(*outcome.dump));
    EXPECT_EQ(buffers_.flash.size(), 0x2000u);
    EXPECT_EQ(buffers_.eeprom.size(), 0x200u);
    EXPECT_EQ(buffers_.file[0].kind, BufferKind::targetDump);
    EXPECT_EQ(buffers_.file[1].kind, BufferKind::targetDump);

    // A chip without EEPROM gets no EEPROM buffer; a failure hands back nothing.
    test::ResetFake();
    record_->partIndex = test::kChipWithoutEeprom;
    Fake().behave = [](const std::string&, ContextRecord&) { return std::int32_t{S8_NO_RESPONSE}; };
    outcome = run(DeviceCommand::dumpTarget);
    EXPECT_EQ(onlyCall().seen.eepromData, nullptr);
    EXPECT_FALSE(outcome.dump);
    EXPECT_FALSE(outcome.readSelection);
}

} // namespace
} // namespace scriba8::app
