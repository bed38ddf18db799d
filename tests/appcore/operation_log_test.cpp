// SPDX-License-Identifier: MIT
#include "operation_log.h"
#include "texts.h"

#include "Scriba8_T3Plus_DLL.h"

#include <gtest/gtest.h>

namespace scriba8::app {
namespace {

TEST(ResultTexts, EveryCodeHasItsMessageAndUnknownCodesFail) {
    EXPECT_EQ(texts::ResultText(S8_PASS).english, "Pass");
    EXPECT_EQ(texts::ResultText(S8_PASS).chinese, "成功");
    for (std::int32_t code : {std::int32_t{S8_FAIL}, 130, 0, -1}) {
        EXPECT_EQ(texts::ResultText(code).english, "Fail");
        EXPECT_EQ(texts::ResultText(code).chinese, "失败");
    }
    EXPECT_EQ(texts::ResultText(S8_CHIP_LOCKED).chinese, "ID加密上锁");
    EXPECT_EQ(texts::ResultText(S8_PROJECT_PART_ERROR).english, "VLX PartNo not support !");
    EXPECT_EQ(texts::ResultText(S8_PROJECT_OPTION_ERROR).english, "Fail");
    EXPECT_EQ(texts::ResultText(S8_FILE_TOO_LARGE).chinese, "文件太大了");
}

TEST(LogFormats, PiecesAreExact) {
    EXPECT_EQ(FormatStartLine(4, "Verify"), "004 - Verify =>");
    EXPECT_EQ(FormatStartLine(1234, "Erase"), "1234 - Erase =>");
    EXPECT_EQ(FormatStepLine("Program"), "       Program =>");
    EXPECT_EQ(FormatElapsed(1000, 2234), "   [1.234\"]\r\n");
    EXPECT_EQ(FormatElapsed(0, 0), "   [0.000\"]\r\n");
    // The tick counter wrapped during the command.
    EXPECT_EQ(FormatElapsed(0xFFFFFF00u, 0x100u), "   [0.512\"]\r\n");
    EXPECT_EQ(FormatAutoStart(7, "Auto"), "007 - Auto ======>Start\r\n");
    EXPECT_EQ(FormatAutoEnd("Auto"), "         Auto ======>End\r\n");
    EXPECT_EQ(FormatChecksumLine("Chip Checksum : ", 0x1A2B), "   Chip Checksum :  0x1A2B\r\n");
}

class Log : public ::testing::Test {
protected:
    std::uint32_t tick_ = 0;
    OperationLog log_{Language::english, [this] { return tick_; }};

    void command(const TextPair& title, std::int32_t code, std::uint32_t ms,
                 bool alwaysNumbered = false) {
        const std::uint32_t start = log_.startCommand(title, alwaysNumbered);
        tick_ += ms;
        log_.result(code);
        log_.finishCommand(start);
    }
};

TEST_F(Log, CommandsAreNumberedFromZeroAfterAClear) {
    command(texts::kErase, S8_PASS, 10);
    log_.clear();
    log_.resetCounter();
    command(texts::kProgram, S8_NO_PROGRAMMER, 1234);
    EXPECT_EQ(log_.text(), "000 - Program =>Connect error   [1.234\"]\r\n");
}

// A firmware update inside a command: its own step line, ended by data that
// move or by the command's result; the command's result then gets a line.
TEST_F(Log, ANoteInsideACommandGetsItsOwnLine) {
    const auto updateResult = [](std::int32_t command) {
        return command == S8_UPDATE_FAILED ? command : std::int32_t{S8_PASS};
    };
    std::uint32_t start = log_.startCommand(texts::kErase);
    log_.startNote(texts::kFirmwareUpdate, updateResult);
    tick_ += 5000;
    log_.finishNote(S8_PASS);
    log_.finishNote(S8_PASS); // once only
    tick_ += 20;
    log_.result(S8_PASS);
    log_.finishCommand(start);
    EXPECT_EQ(log_.text(), "000 - Erase =>\r\n"
                           "       Update Programmer Firmware =>Pass   [5.000\"]\r\n"
                           "       Erase =>Pass   [5.020\"]\r\n");
    EXPECT_FALSE(log_.noteOpen());

    log_.clear();
    start = log_.startCommand(texts::kProgram);
    log_.startNote(texts::kFirmwareUpdate, updateResult);
    tick_ += 100;
    log_.result(S8_UPDATE_FAILED);
    log_.finishCommand(start);
    EXPECT_EQ(log_.text(), "001 - Program =>\r\n"
                           "       Update Programmer Firmware =>Update FW fail   [0.100\"]\r\n"
                           "       Program =>Update FW fail   [0.100\"]\r\n");
    // The next command is a line of its own again.
    log_.clear();
    command(texts::kVerify, S8_PASS, 0);
    EXPECT_EQ(log_.text(), "002 - Verify =>Pass   [0.000\"]\r\n");
}

TEST_F(Log, AutoSequenceStepsAreUnnumbered) {
    for (int i = 0; i < 4; ++i) command(texts::kCheckId, S8_PASS, 0);
    log_.clear();
    log_.setAutoRunning(true);
    log_.autoStart();
    command(texts::kVerify, S8_FAIL, 5);
    command(texts::kReadOptions, S8_PASS, 0, true); // never a step: stays numbered
    log_.autoEnd();
    log_.setAutoRunning(false);
    command(texts::kErase, S8_PASS, 0);
    EXPECT_EQ(log_.text(), "004 - Auto ======>Start\r\n"
                           "       Verify =>Fail   [0.005\"]\r\n"
                           "005 - Read Options =>Pass   [0.000\"]\r\n"
                           "         Auto ======>End\r\n"
                           "006 - Erase =>Pass   [0.000\"]\r\n");
}

TEST_F(Log, ChineseTextsAreUsedWhenWritten) {
    log_.setLanguage(Language::chinese);
    command(texts::kVerify, S8_PASS, 0);
    log_.chipChecksumLine(0x00FF);
    log_.setLanguage(Language::english);
    command(texts::kVerify, S8_CHECKSUM_ERROR, 0);
    EXPECT_EQ(log_.text(), "000 - 校验 =>成功   [0.000\"]\r\n"
                           "   芯片检验和 :  0x00FF\r\n"
                           "001 - Verify =>Checksum error   [0.000\"]\r\n");
}

} // namespace
} // namespace scriba8::app
