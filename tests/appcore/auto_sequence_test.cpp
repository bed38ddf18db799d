// SPDX-License-Identifier: MIT
#include "auto_sequence.h"
#include "fake_library.h"

#include <gtest/gtest.h>

#include <memory>

namespace scriba8::app {
namespace {

using test::Fake;

class AutoSequence : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetFake();
        record_->status = &status_;
        record_->partIndex = test::kChipWithEeprom;
        buffers_.flash = {1, 2, 3};
    }
    AutoRunResult runSteps(std::uint16_t mask) {
        record_->autoProcess = mask;
        return RunAutoSequence(runner_, buffers_);
    }
    void failOn(std::string failing) {
        Fake().behave = [failing](const std::string& name, ContextRecord&) {
            return std::int32_t{name == failing ? S8_FAIL : S8_PASS};
        };
    }

    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_ = std::make_unique<ContextRecord>();
    CodeBuffers buffers_;
    OperationLog log_{Language::english, [] { return 0u; }};
    LibraryApi api_ = test::FakeApi();
    DeviceRunner runner_{api_, *record_, log_};
};

TEST_F(AutoSequence, StepsRunInTheirOrderWithTheRunningBitAroundEach) {
    AutoRunResult result = runSteps(0x007F);
    EXPECT_TRUE(result.passed());
    EXPECT_EQ(Fake().names(),
              (std::vector<std::string>{"WholeChipErase", "Erase", "BlankCheck", "Program",
                                        "ProgramEEPROM", "Verify", "WriteOptions"}));
    for (const test::Call& call : Fake().calls)
        EXPECT_EQ(call.seen.autoProcess, 0x807F) << call.name;
    EXPECT_EQ(record_->autoProcess, 0x007F);
    EXPECT_FALSE(log_.autoRunning());
}

TEST_F(AutoSequence, StopsAtTheFirstFailureExceptTheLastStep) {
    failOn("Program");
    AutoRunResult result = runSteps(S8_STEP_WHOLE_CHIP_ERASE | S8_STEP_PROGRAM | S8_STEP_VERIFY);
    EXPECT_FALSE(result.passed());
    EXPECT_EQ(Fake().names(), (std::vector<std::string>{"WholeChipErase", "Program"}));
    EXPECT_EQ(log_.text(), "000 - Auto ======>Start\r\n"
                           "       WholeChip Erase =>Pass   [0.000\"]\r\n"
                           "       Program =>Fail   [0.000\"]\r\n"
                           "         Auto ======>End\r\n");

    test::ResetFake();
    failOn("WriteOptions");
    result = runSteps(S8_STEP_VERIFY | S8_STEP_WRITE_OPTIONS);
    EXPECT_EQ(result.steps.back(), std::make_pair(DeviceCommand::writeOptions, std::int32_t{S8_FAIL}));
    EXPECT_EQ(log_.text().substr(log_.text().size() - 26), "         Auto ======>End\r\n");
}

TEST_F(AutoSequence, NothingTickedStillBracketsTheRun) {
    runSteps(0);
    runSteps(0);
    EXPECT_EQ(log_.text(), "000 - Auto ======>Start\r\n         Auto ======>End\r\n"
                           "001 - Auto ======>Start\r\n         Auto ======>End\r\n");
    EXPECT_TRUE(Fake().calls.empty());
}

TEST(AutoDialog, ProgramIsSelectedExactlyWhenThereIsCode) {
    EXPECT_EQ(OpenAutoDialog(0x001F, true, ChipSizes{}).autoProcess, 0x001B);
    EXPECT_EQ(OpenAutoDialog(0x0001, false, ChipSizes{}).autoProcess, 0x0005);
}

TEST(AutoDialog, ProgramWithWriteOptionsTurnsOnTheChipChecksum) {
    // Ticking the second of the pair sets bit 7, whichever it is.
    EXPECT_EQ(ClickAutoBox(S8_STEP_WRITE_OPTIONS, S8_STEP_PROGRAM, true), 0x0094);
    EXPECT_EQ(ClickAutoBox(S8_STEP_PROGRAM, S8_STEP_WRITE_OPTIONS, true), 0x0094);
    // Alone, neither touches it; unticking either clears it.
    EXPECT_EQ(ClickAutoBox(0x0080, S8_STEP_PROGRAM, true), 0x0084);
    EXPECT_EQ(ClickAutoBox(0x0094, S8_STEP_WRITE_OPTIONS, false), 0x0004);
    EXPECT_EQ(ClickAutoBox(0x0094, S8_STEP_PROGRAM, false), 0x0010);
    // The user may turn it off again by hand; other boxes are plain bits.
    EXPECT_EQ(ClickAutoBox(0x0094, S8_STEP_SAVE_CHIP_CHECKSUM, false), 0x0014);
    EXPECT_EQ(ClickAutoBox(0x0094, S8_STEP_EEPROM_PROGRAM, true), 0x00D4);
    EXPECT_EQ(ClickAutoBox(0x00D4, S8_STEP_EEPROM_PROGRAM, false), 0x0094);
}

} // namespace
} // namespace scriba8::app
