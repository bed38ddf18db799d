// SPDX-License-Identifier: MIT
#include "private_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace scriba8::app {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("profile-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                   "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST(PrivateProfileRead, NamesIgnoreCaseAndTheFirstMatchWins) {
    const PrivateProfile profile = PrivateProfile::FromText(
        "\xEF\xBB\xBF[setting]\n"
        "lastpartno=3\n"
        "LASTPARTNO=9\n"
        "[Other]\n"
        "Language=1\n"
        "[SETTING]\n"
        "Language=2\n");
    EXPECT_EQ(profile.GetInt("Setting", "LastPartNo", -1), 3);
    // Only the first "Setting" section is searched, as the system does.
    EXPECT_EQ(profile.GetInt("Setting", "Language", -1), -1);
    EXPECT_EQ(profile.GetInt("other", "language", -1), 1);
    EXPECT_FALSE(profile.Find("Missing", "Language"));
}

TEST(PrivateProfileRead, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    const PrivateProfile profile = PrivateProfile::FromText(
        "; a comment=with an equals sign\r\n"
        "[Setting]\r\n"
        "  Spaced  =   value with inner  spaces   \r\n"
        "Double=\"C:\\Work\\ \"\r\n"
        "Single=' x '\r\n"
        "Mixed=\"x'\r\n"
        "Nested=\"\"inner\"\"\r\n"
        "Empty=\r\n"
        "no equals sign here\r\n"
        ";Commented=1\r\n");
    EXPECT_EQ(profile.GetString("Setting", "spaced", "?"), "value with inner  spaces");
    EXPECT_EQ(profile.GetString("Setting", "Double", "?"), "C:\\Work\\ ");
    EXPECT_EQ(profile.GetString("Setting", "Single", "?"), " x ");
    EXPECT_EQ(profile.GetString("Setting", "Mixed", "?"), "\"x'");
    EXPECT_EQ(profile.GetString("Setting", "Nested", "?"), "\"inner\"");
    EXPECT_EQ(profile.GetString("Setting", "Empty", "NULL"), "");
    EXPECT_EQ(profile.GetString("Setting", "Commented", "NULL"), "NULL");
    EXPECT_EQ(profile.GetString("Setting", "no equals sign here", "NULL"), "NULL");
}

TEST(PrivateProfileRead, IntegersTakeTheirLeadingDigits) {
    EXPECT_EQ(ProfileInteger("12abc"), 12);
    EXPECT_EQ(ProfileInteger("abc"), 0);
    EXPECT_EQ(ProfileInteger(""), 0);
    EXPECT_EQ(ProfileInteger("-1"), -1);
    EXPECT_EQ(ProfileInteger("+7"), 7);
    EXPECT_EQ(ProfileInteger("0x10"), 0);
    EXPECT_EQ(ProfileInteger("99999999999999999999999"), 2147483647);
    EXPECT_EQ(ProfileInteger("-99999999999999999999999"), -2147483647 - 1);

    const PrivateProfile profile = PrivateProfile::FromText("[S]\nText=x\nQuoted=\"5\"\n");
    EXPECT_EQ(profile.GetInt("S", "Text", 42), 0) << "present but not a number reads as 0";
    EXPECT_EQ(profile.GetInt("S", "Absent", 42), 42);
    EXPECT_EQ(profile.GetInt("S", "Quoted", 42), 5);
}

TEST(PrivateProfileWrite, ChangesOnlyTheKeysItSets) {
    PrivateProfile profile = PrivateProfile::FromText(
        "; settings of the programmer\r\n"
        "[Other]\r\n"
        "LastPartNo=77\r\n"
        "\r\n"
        "[setting]\r\n"
        "lastPartNo = 5   ; stays a value\r\n"
        "loadfilepath=\"/home/op/\"\r\n"
        "SaveBufferPath = \"/keep/\"\r\n"
        "\r\n"
        "[Tail]\r\n"
        "x=1");
    ASSERT_TRUE(profile.Set("Setting", "SaveBufferPath", "/keep/"));
    ASSERT_TRUE(profile.Set("Setting", "LastPartNo", "12"));
    ASSERT_TRUE(profile.Set("Setting", "LoadFilePath", "/srv/code/"));
    ASSERT_TRUE(profile.Set("Other", "LastPartNo", "77")) << "same value: line kept";
    ASSERT_TRUE(profile.Set("Setting", "SaveVLXPath", ""));
    ASSERT_TRUE(profile.Set("Tail", "y", "2"));
    ASSERT_TRUE(profile.Set("New", "Key", "v"));
    EXPECT_EQ(profile.Text(),
              "; settings of the programmer\r\n"
              "[Other]\r\n"
              "LastPartNo=77\r\n"
              "\r\n"
              "[setting]\r\n"
              "lastPartNo = 12\r\n"
              "loadfilepath=/srv/code/\r\n"
              "SaveBufferPath = \"/keep/\"\r\n"
              "SaveVLXPath=\r\n"
              "\r\n"
              "[Tail]\r\n"
              "x=1\r\n"
              "y=2\r\n"
              "[New]\r\n"
              "Key=v\r\n");
}

TEST(PrivateProfileWrite, EveryStorableValueReadsBackAsWritten) {
    PrivateProfile profile;
    for (const std::string value : {"plain", " leading", "trailing ", "\"quoted\"", "'single'",
                                    "", "中文路径/", "a=b;c"}) {
        ASSERT_TRUE(profile.Set("S", "K", value)) << value;
        EXPECT_EQ(PrivateProfile::FromText(profile.Text()).GetString("S", "k", "?"), value);
    }
    EXPECT_EQ(profile.Text().find('\r'), std::string::npos) << "a new file uses plain line ends";
}

TEST(PrivateProfileWrite, RefusesWhatWouldBreakTheFileApart) {
    PrivateProfile profile = PrivateProfile::FromText("[S]\nK=1\n");
    const std::string before = profile.Text();
    EXPECT_FALSE(profile.Set("S", "K", "two\nlines"));
    EXPECT_FALSE(profile.Set("S", "K", "cr\r"));
    EXPECT_FALSE(profile.Set("S", "K=2", "v"));
    EXPECT_FALSE(profile.Set("S", "[K]", "v"));
    EXPECT_FALSE(profile.Set("S", ";K", "v"));
    EXPECT_FALSE(profile.Set("S", "", "v"));
    EXPECT_FALSE(profile.Set("S]", "K", "v"));
    EXPECT_FALSE(profile.Set("", "K", "v"));
    EXPECT_FALSE(profile.Set("S", " K", "v"));
    EXPECT_EQ(profile.Text(), before);
}

TEST_F(ProfileFileTest, TheFirstWriteCreatesTheFile) {
    const std::string path = (folder_ / "Setting.ini").string();
    EXPECT_EQ(ReadProfileString(path, "Setting", "LoadFilePath", "NULL"), "NULL");
    EXPECT_EQ(ReadProfileInt(path, "Setting", "Language", 0), 0);
    EXPECT_FALSE(fs::exists(path)) << "reading never creates the file";

    ASSERT_TRUE(WriteProfileString(path, "Setting", "Language", "1"));
    ASSERT_TRUE(WriteProfileString(path, "Setting", "LastPartNo", "4"));
    ASSERT_TRUE(WriteProfileString(path, "setting", "language", "0"));
    EXPECT_EQ(ReadText(path), "[Setting]\nLanguage=0\nLastPartNo=4\n");
    EXPECT_EQ(ReadProfileInt(path, "Setting", "LastPartNo", 0), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
        << "no temporary file left behind";
}

TEST_F(ProfileFileTest, AFailedWriteChangesNothing) {
    EXPECT_FALSE(WriteProfileString((folder_ / "missing" / "Setting.ini").string(), "S", "K", "v"));

    // Something that exists but cannot be read as a file is not replaced by
    // a profile that only holds the new key.
    const fs::path notAFile = folder_ / "Setting.ini";
    fs::create_directory(notAFile);
    fs::create_directory(notAFile / "keep");
    EXPECT_FALSE(WriteProfileString(notAFile.string(), "S", "K", "v"));
    EXPECT_TRUE(fs::is_directory(notAFile / "keep"));
}

} // namespace
} // namespace scriba8::app
