// SPDX-License-Identifier: MIT
// The one advice table: every failure gets advice in both languages, and
// the window's never sends the operator to a command line option.
#include "failure_advice.h"

#include "Scriba8_T3Plus_DLL.h"

#include <gtest/gtest.h>

#include <string_view>

namespace scriba8::app {
namespace {

constexpr const char* kCommands[] = {"check-id", "erase", "blank-check", "program", "eeprom",
                                     "verify", "write-options", "read-options",
                                     "whole-chip-erase", "checksum", "dump", "isp-insert",
                                     "offline download", "offline read", "project save",
                                     "project load", "load", "save"};

// What only the command line has; the window, too, starts with --programmer.
bool namesTheCommandLine(std::string_view text) {
    for (std::string_view name : {"--part", "--yes", "--offset", "--isp-file", "scriba8 ",
                                  "whole-chip-erase", "yes，", "answer yes"})
        if (text.find(name) != std::string_view::npos) return true;
    return false;
}

TEST(FailureAdvice, TheWindowNamesItsOwnControls) {
    for (std::int32_t code = S8_FAIL; code <= S8_FILE_TOO_LARGE; ++code) {
        for (const char* command : kCommands) {
            const TextPair window = AdviceFor(code, command, FrontEnd::window);
            EXPECT_FALSE(window.english.empty()) << code << " " << command;
            EXPECT_FALSE(window.chinese.empty()) << code << " " << command;
            EXPECT_FALSE(namesTheCommandLine(window.english)) << code << " " << command;
            EXPECT_FALSE(namesTheCommandLine(window.chinese)) << code << " " << command;
        }
    }
    // Where nothing names a front end, both say the same.
    EXPECT_EQ(AdviceFor(S8_CHECKSUM_ERROR, "program", FrontEnd::window).english,
              AdviceFor(S8_CHECKSUM_ERROR, "program").english);
    EXPECT_NE(AdviceFor(S8_CHIP_LOCKED, "erase", FrontEnd::window).english,
              AdviceFor(S8_CHIP_LOCKED, "erase").english);
    EXPECT_TRUE(AdviceFor(S8_PASS, "program", FrontEnd::window).english.empty());
}

} // namespace
} // namespace scriba8::app
