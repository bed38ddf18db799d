// SPDX-License-Identifier: MIT
#include "option_lists.h"

#include <gtest/gtest.h>

namespace scriba8::app {
namespace {

TEST(OptionLists, SizeTextsReadBackAsTheirBytes) {
    for (const std::uint32_t bytes : {0u, 512u, 1024u, 1536u, 4096u, 0x7C00u, 0x10000u}) {
        EXPECT_EQ(IspBytesFromText(IspSizeText(bytes)), bytes) << IspSizeText(bytes);
    }
    EXPECT_EQ(IspSizeText(1536), "1.5 k");
    EXPECT_EQ(IapSizeText(127), "63.5 k");
    EXPECT_EQ(IspBytesFromText(""), 0u);
    EXPECT_EQ(IspBytesFromText("k"), 0u);
}

TEST(OptionLists, TheSinglePageIsLeftOutOnlyBesideExactly64K) {
    const std::vector<std::uint32_t> full = IapPageCounts(0x10000);
    ASSERT_EQ(full.size(), 128u);
    EXPECT_EQ(full[0], 0u);
    EXPECT_EQ(full[1], 2u);
    EXPECT_EQ(full.back(), 128u);
    EXPECT_EQ(IapPageCounts(0xFC00).size(), 127u);
    EXPECT_EQ(IapPageCounts(0xFC00)[1], 1u);
    EXPECT_EQ(IapPageCounts(0x2000).size(), 17u);
    EXPECT_EQ(IapPageCounts(0), std::vector<std::uint32_t>{0});
}

TEST(OptionLists, IapValuesCountAPageMoreOnlyOnA64KChipWithoutIspArea) {
    BodyInfo chip{};
    for (OptionItem& item : chip.items) item = {"NA", "", 0};
    chip.items[0] = {"ISP_SIZE", "0|0xE2,,1024|0xC2", 0};
    chip.items[1] = {"IAP_SIZE", "C8051-IAP", 0};
    chip.items[2] = {"Trim_Frequency", "24MHz,,12MHz", 0};
    chip.flashSize = 0x10000;
    ContextRecord record{};
    record.itemValue[1] = 3;
    EXPECT_EQ(ItemValueText(chip, record, 1, false), "2.0 k");
    EXPECT_EQ(ItemValueText(chip, record, 1, true), "1.5 k") << "decoded values count as they are";
    record.itemValue[1] = 0;
    EXPECT_EQ(ItemValueText(chip, record, 1, false), "0.0 k");

    record.itemValue[0] = 1; // empty pieces are no pairs: 1024
    record.itemValue[1] = 3;
    EXPECT_EQ(SelectedIspSize(chip, record), 1024u);
    EXPECT_EQ(ItemValueText(chip, record, 1, false), "1.5 k");
    chip.flashSize = 0x8000;
    record.itemValue[0] = 0;
    EXPECT_EQ(ItemValueText(chip, record, 1, false), "1.5 k");

    record.itemValue[2] = 1;
    EXPECT_EQ(ItemValueText(chip, record, 2, true), "12MHz");
    record.itemValue[2] = 2;
    EXPECT_EQ(ItemValueText(chip, record, 2, true), "") << "a value without a choice shows nothing";
    EXPECT_EQ(ItemEntries(chip, 1).size(), 0x8000u / 512 + 1);
    EXPECT_EQ(ItemEntries(chip, 0), (std::vector<std::string>{"0.0 k", "1.0 k"}));
}

} // namespace
} // namespace scriba8::app
