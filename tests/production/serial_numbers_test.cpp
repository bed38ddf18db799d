// SPDX-License-Identifier: MIT
// Serial numbers: what bytes the k-th chip gets, what the command line and
// a list file may say, and where a number may go.
#include "serial_numbers.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace scriba8::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

ContinuousSerials parsed(const std::string& text) {
    auto result = ParseSerialOption(text);
    EXPECT_TRUE(std::holds_alternative<ContinuousSerials>(result))
        << (std::holds_alternative<Bilingual>(result) ? std::get<Bilingual>(result).english : "");
    return std::holds_alternative<ContinuousSerials>(result) ? std::get<ContinuousSerials>(result)
                                                             : ContinuousSerials{};
}

std::string refusal(const std::string& text) {
    auto result = ParseSerialOption(text);
    return std::holds_alternative<Bilingual>(result) ? std::get<Bilingual>(result).english : "";
}

TEST(SerialNumbers, ContinuousNumbersInEveryFormAndOrder) {
    SerialPlan plan;
    plan.rule = parsed("start=0x1234,step=0x100,size=3,address=0x7FF0");
    EXPECT_EQ(plan.address(), 0x7FF0u);
    EXPECT_EQ(plan.at(0)->bytes, (Bytes{0x00, 0x12, 0x34}));
    EXPECT_EQ(plan.at(2)->bytes, (Bytes{0x00, 0x14, 0x34}));
    EXPECT_EQ(plan.at(2)->text, "1434");
    EXPECT_EQ(plan.at(2)->key, "n:5172");

    plan.rule = parsed("start=258,size=2,address=0,order=le");
    EXPECT_EQ(plan.at(0)->bytes, (Bytes{0x02, 0x01}));
    plan.rule = parsed("start=7,size=4,address=0,format=dec,step=5");
    EXPECT_EQ(plan.at(1)->bytes, (Bytes{'0', '0', '1', '2'}));
    plan.rule = parsed("start=0xAB,size=3,address=0,format=hex");
    EXPECT_EQ(plan.at(0)->bytes, (Bytes{'0', 'A', 'B'}));

    // The numbers end where they no longer fit their size: never wrapped.
    plan.rule = parsed("start=0xFE,size=1,address=0");
    EXPECT_TRUE(plan.at(1).has_value());
    EXPECT_FALSE(plan.at(2).has_value());
    plan.rule = parsed("start=98,size=2,address=0,format=dec");
    EXPECT_TRUE(plan.at(1).has_value());
    EXPECT_FALSE(plan.at(2).has_value());
    plan.rule = parsed("start=1,step=0x8000000000000000,size=8,address=0");
    EXPECT_TRUE(plan.at(1).has_value());
    EXPECT_FALSE(plan.at(2).has_value());
}

TEST(SerialNumbers, TheStandAloneBlockIsItsTextThenTheNumberMostSignificantFirst) {
    SerialBlock block;
    block.text.fill(0xFF);
    block.text[0] = 'S';
    block.text[1] = 'N';
    block.start = 0x01020304;
    block.address = 0x3FF0;
    SerialPlan plan;
    plan.rule = block;
    ASSERT_EQ(plan.size(), 16u);
    const Bytes bytes = plan.at(1)->bytes;
    EXPECT_EQ(bytes[0], 'S');
    EXPECT_EQ(bytes[11], 0xFF);
    EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.end()), (Bytes{0x01, 0x02, 0x03, 0x05}));
    EXPECT_EQ(plan.at(1)->key, "n:16909061");
}

TEST(SerialNumbers, MistakesOnTheCommandLineAreRefusedWithTheirReason) {
    EXPECT_NE(refusal("start=1,size=4").find("address"), std::string::npos);
    EXPECT_NE(refusal("size=4,address=0").find("start"), std::string::npos);
    EXPECT_NE(refusal("start=256,size=1,address=0").find("does not fit"), std::string::npos);
    EXPECT_NE(refusal("start=100,size=2,address=0,format=dec").find("does not fit"), std::string::npos);
    EXPECT_NE(refusal("start=1,size=9,address=0").find("1 to 8"), std::string::npos);
    EXPECT_NE(refusal("start=1,size=0,address=0").find("1 to 8"), std::string::npos);
    EXPECT_NE(refusal("start=1,step=0,address=0").find("repeats"), std::string::npos);
    EXPECT_NE(refusal("start=1,address=0,order=middle").find("le or be"), std::string::npos);
    EXPECT_NE(refusal("start=1,address=0,format=oct").find("bin, dec or hex"), std::string::npos);
    EXPECT_NE(refusal("start=x,address=0").find("not a number"), std::string::npos);
    EXPECT_NE(refusal("begin=1,address=0").find("the names are"), std::string::npos);
    EXPECT_NE(refusal("start").find("NAME=VALUE"), std::string::npos);
    // The address alone is what a list file needs.
    EXPECT_EQ(parsed("address=0x100").size, 0u);
}

class SerialListTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string write(const std::string& text) {
        const std::string path = (folder_ / "serials.txt").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::filesystem::path folder_ = test::MakeTempFolder("scriba8-serial-list");
};

TEST_F(SerialListTest, HexBytesAndQuotedTextOneALine) {
    const std::string path = write("# serials for batch 7\r\n01 A2 FF 00\n\n  0102a3b4  \n\"SN07\"\n");
    auto list = ReadSerialList(path);
    ASSERT_TRUE(std::holds_alternative<SerialList>(list)) << std::get<Bilingual>(list).english;
    const SerialList& serials = std::get<SerialList>(list);
    ASSERT_EQ(serials.values.size(), 3u);
    EXPECT_EQ(serials.values[0], (Bytes{0x01, 0xA2, 0xFF, 0x00}));
    EXPECT_EQ(serials.values[1], (Bytes{0x01, 0x02, 0xA3, 0xB4}));
    EXPECT_EQ(serials.values[2], (Bytes{'S', 'N', '0', '7'}));
    SerialPlan plan;
    plan.rule = serials;
    EXPECT_EQ(plan.at(2)->key, "b:534E3037");
    EXPECT_FALSE(plan.at(3).has_value()); // the list has run out
}

// A bad line refuses the whole list before any chip is touched.
TEST_F(SerialListTest, ABadLineIsRefusedWithFileLineAndReason) {
    struct Case {
        std::string text;
        std::string reason;
    };
    const Case cases[] = {
        {"0102\n0 102\n", ":2: "},
        {"0102\n010\n", "odd number of hex digits"},
        {"0102\n01G2\n", "'G' is not a hex digit"},
        {"0102\n\"SN\n", "no closing double quote"},
        {"0102\n010203\n", "3 bytes where the first serial has 2"},
        {"0102\n\"\"\n", "the text is empty"},
        {"# nothing\n\n", "no serial numbers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = write(c.text);
        auto list = ReadSerialList(path);
        ASSERT_TRUE(std::holds_alternative<Bilingual>(list));
        const std::string& why = std::get<Bilingual>(list).english;
        if (c.reason.starts_with(":")) {
            EXPECT_NE(why.find("line 2: a hex byte split by a blank"), std::string::npos) << why;
        } else {
            EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        }
        EXPECT_EQ(why.rfind(path, 0), 0u) << why;
    }
}

TEST(SerialNumbers, TheAreaMustBeErasedCodeInsideTheChip) {
    SerialPlan plan;
    plan.rule = parsed("start=1,size=4,address=0x10");
    const Bytes blank(0x20, 0xFF);
    Bytes code = blank;
    code[0x12] = 0x00;
    EXPECT_FALSE(CheckSerialArea(plan, blank, 0x100, false));
    const auto refused = CheckSerialArea(plan, code, 0x100, false);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->english.find("0x12"), std::string::npos);
    EXPECT_FALSE(CheckSerialArea(plan, code, 0x100, true)); // --force
    plan.rule = parsed("start=1,size=4,address=0xFE");
    EXPECT_TRUE(CheckSerialArea(plan, blank, 0x100, true)); // beyond the chip, forced or not

    EXPECT_EQ(PatchSerial(Bytes{1, 2}, 4, Bytes{9, 8}), (Bytes{1, 2, 0xFF, 0xFF, 9, 8}));
    EXPECT_EQ(PatchSerial(Bytes{1, 2, 3, 4}, 1, Bytes{9}), (Bytes{1, 9, 3, 4}));
}

} // namespace
} // namespace scriba8::app
