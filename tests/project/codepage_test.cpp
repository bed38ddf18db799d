// SPDX-License-Identifier: MIT
// Texts in project files: the legacy code page and what happens to
// characters it cannot hold.
#include "project/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace scriba8 {
namespace {

class CodePage : public ::testing::Test {
  protected:
    void TearDown() override { ::unsetenv("SCRIBA8_CODEPAGE"); }
};

TEST_F(CodePage, ChineseNamesUseCp936ByDefault) {
    const std::string legacy = toLegacyText("中文.hex");
    EXPECT_EQ(legacy, "\xD6\xD0\xCE\xC4.hex");
    EXPECT_EQ(fromLegacyText(legacy), "中文.hex");
}

TEST_F(CodePage, WhatCannotBeConvertedBecomesAQuestionMark) {
    EXPECT_EQ(toLegacyText("a\xF0\x9F\x98\x80z"), "a?z"); // an emoji has no CP936 form
    EXPECT_EQ(toLegacyText("a\xFF\xE4\xB8z"), "a??z");    // a stray byte, a cut-off sequence
    EXPECT_EQ(fromLegacyText("ok\x81"), "ok?");           // a lead byte with nothing after it
    EXPECT_EQ(fromLegacyText("\xFF"
                             "a"),
              "?a");
}

TEST_F(CodePage, EnvironmentChoosesAnotherCodePage) {
    ::setenv("SCRIBA8_CODEPAGE", "CP1252", 1);
    EXPECT_EQ(projectCodePage(), "CP1252");
    EXPECT_EQ(toLegacyText("café"), "caf\xE9");
    EXPECT_EQ(fromLegacyText("caf\xE9"), "café");
    EXPECT_EQ(toLegacyText("中"), "?");

    ::setenv("SCRIBA8_CODEPAGE", "NO-SUCH-CODEPAGE", 1);
    EXPECT_EQ(projectCodePage(), "CP936");
}

} // namespace
} // namespace scriba8
