// SPDX-License-Identifier: MIT
// The engineer sheets' byte work and the reading of their definitions,
// without windows.
#include "definition_text.h"
#include "register_image.h"
#include "sheet_definition.h"

#include <gtest/gtest.h>

using namespace scriba8::engineer;
using engineer_test::MemoryProfile;

namespace {

TEST(SheetDefinition, CountsAreClampedToTheRowsThatExist) {
    const auto profile = MemoryProfile({
        {"Main/SheetCount", "9"},
        {"Sheet0/Name", "Option"},
        {"Sheet3/Name", "Block"},
        {"Sheet4/Name", "None"},
        {"Sheet0/ItemCount", "1000"},
        {"Sheet1/ItemCount", "2147483647"},
        {"Sheet1/EditCount", "99"},
        {"Sheet2/ItemCount", "-5"},
        {"Sheet2/EditCount", "3"},
        {"Sheet3/ItemCount", "40"},
    });
    const auto names = ReadTabNames(profile);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "Option");
    EXPECT_EQ(names[3], "Block");

    EXPECT_EQ(ReadSheetDefinition(profile, 0).items.size(), 8u);
    EXPECT_EQ(ReadSheetDefinition(profile, 1).items.size(), 11u);
    EXPECT_EQ(ReadSheetDefinition(profile, 1).edits.size(), 5u);
    EXPECT_TRUE(ReadSheetDefinition(profile, 2).items.empty());
    EXPECT_TRUE(ReadSheetDefinition(profile, 2).edits.empty()) << "only sheet 1 has edit rows";
    EXPECT_EQ(ReadSheetDefinition(profile, 3).items.size(), 1u) << "the last sheet has one field";

    EXPECT_TRUE(ReadTabNames(MemoryProfile({{"Main/SheetCount", "-1"}})).empty());
    EXPECT_TRUE(ReadTabNames(MemoryProfile({})).empty());
}

TEST(SheetDefinition, SizesAndImageLengthsStayBounded) {
    const auto profile = MemoryProfile({
        {"Sheet2/WriteOfBytes", "-4"},
        {"Sheet2/ReadOfBytes", "99999999999"},
        {"Sheet2/ItemCount", "3"},
        {"Sheet2/Item00_Size", "-1"},
        {"Sheet2/Item01_Size", "4000000000"},
        {"Sheet2/Item02_Size", "6"},
        {"Sheet2/Item02_AddrOffset", "-7"},
        {"Sheet3/ItemCount", "1"},
        {"Sheet3/Item00_Size", "4000000000"},
    });
    const SheetDefinition sheet2 = ReadSheetDefinition(profile, 2);
    EXPECT_EQ(sheet2.writeOfBytes, 0);
    EXPECT_EQ(sheet2.readOfBytes, kMaxImageBytes);
    EXPECT_EQ(sheet2.items[0].size, 0);
    EXPECT_EQ(sheet2.items[1].size, kMaxRowBytes);
    EXPECT_EQ(sheet2.items[2].size, 6);
    EXPECT_EQ(sheet2.items[2].addrOffset, -7) << "kept as given; placing it skips it";
    EXPECT_EQ(ReadSheetDefinition(profile, 3).items[0].size, kMaxImageBytes);
}

TEST(SheetDefinition, ReadsNamesKeysAndAddress) {
    const auto profile = MemoryProfile({
        {"Main/SheetCount", "2"},
        {"Sheet0/Name", "Option"},
        {"Sheet1/Name", "Config"},
        {"Sheet0/Address", "1F00"},
        {"Sheet0/Area", "3"},
        {"Sheet0/ItemCount", "8"},
        {"Sheet0/Item07_Name", "OR7"},
        {"Sheet0/Item07_AddrOffset", "12"},
        {"Sheet0/Item07_Bit05", "P2IO"},
        {"Sheet1/ItemCount", "1"},
        {"Sheet1/EditCount", "1"},
        {"Sheet1/Edit00_Name", "Trim"},
        {"Sheet1/Edit00_Size", "2"},
        {"Sheet3/ItemCount", "1"},
        {"Sheet3/Item00_Bit31", "TOP"},
        {"Sheet0/Item00_Name", std::string(400, 'x')},
    });
    EXPECT_EQ(ReadTabNames(profile), (std::vector<std::string>{"Option", "Config"}));
    const SheetDefinition sheet0 = ReadSheetDefinition(profile, 0);
    EXPECT_EQ(sheet0.address, 0x1F00u);
    EXPECT_EQ(sheet0.area, 3);
    EXPECT_EQ(sheet0.items[7].name, "OR7");
    EXPECT_EQ(sheet0.items[7].addrOffset, 12);
    EXPECT_EQ(sheet0.items[7].bitNames[5], "P2IO");
    EXPECT_EQ(sheet0.items[0].name.size(), 255u) << "profile texts end at 255 characters";
    const SheetDefinition sheet1 = ReadSheetDefinition(profile, 1);
    ASSERT_EQ(sheet1.edits.size(), 1u);
    EXPECT_EQ(sheet1.edits[0].name, "Trim");
    EXPECT_EQ(sheet1.edits[0].size, 2);
    const SheetDefinition sheet3 = ReadSheetDefinition(profile, 3);
    ASSERT_EQ(sheet3.items[0].bitNames.size(), 32u);
    EXPECT_EQ(sheet3.items[0].bitNames[31], "TOP");

    EXPECT_EQ(ParseHexAddress("0x1f"), 0x1Fu);
    EXPECT_EQ(ParseHexAddress("  80G"), 0x80u);
    EXPECT_EQ(ParseHexAddress(""), 0u);
    EXPECT_EQ(ParseHexAddress("zz"), 0u);
}

TEST(RegisterImage, ValuesArePlacedAndTakenOnlyInsideTheImage) {
    const Bytes value{1, 2, 3, 4};
    Bytes image = BlankImage(6);
    PlaceValue(image, 4, value);
    EXPECT_EQ(image, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2}));
    PlaceValue(image, 6, value);
    PlaceValue(image, -1, value);
    PlaceValue(image, std::int64_t{1} << 40, value);
    EXPECT_EQ(image, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 1, 2}));
    Bytes empty = BlankImage(0);
    PlaceValue(empty, 0, value);
    EXPECT_TRUE(empty.empty());

    EXPECT_EQ(TakeValue(image, 3, 2), (Bytes{0xFF, 1}));
    EXPECT_EQ(TakeValue(image, 5, 8), (Bytes{2}));
    EXPECT_TRUE(TakeValue(image, 6, 1).empty());
    EXPECT_TRUE(TakeValue(image, -2, 4).empty());
    EXPECT_TRUE(TakeValue(image, 0, 0).empty());

    EXPECT_EQ(PaddedValue(Bytes{7}, 3), (Bytes{7, 0xFF, 0xFF}));
    EXPECT_EQ(PaddedValue(value, 2), (Bytes{1, 2}));
}

TEST(RegisterImage, CheckedBoxesAreZeroBits) {
    const BitChecks checks = ChecksFromByte(0x7E);
    EXPECT_TRUE(checks[0]);
    EXPECT_TRUE(checks[7]);
    for (int b = 1; b < 7; ++b) EXPECT_FALSE(checks[static_cast<std::size_t>(b)]) << b;

    BitChecks bit3{};
    bit3[3] = true;
    EXPECT_EQ(ByteFromChecks(bit3), 0xF7);
    for (int value = 0; value < 256; ++value)
        EXPECT_EQ(ByteFromChecks(ChecksFromByte(static_cast<std::uint8_t>(value))), value);
}

TEST(RegisterImage, DifferencesAreRunsBelowTheShorterValue) {
    EXPECT_EQ(DifferingRanges(Bytes{0, 0xFF, 0, 0, 0xFF, 0}, Bytes(5, 0xFF)),
              (std::vector<IndexRange>{{0, 0}, {2, 3}}));
    EXPECT_TRUE(DifferingRanges(Bytes{1, 2}, Bytes{1, 2, 3}).empty());
    EXPECT_TRUE(DifferingRanges(Bytes{1, 2}, Bytes{}).empty());
}

TEST(SheetScroll, ContentAndBarStayInStep) {
    const SheetScroll fits(400, 500);
    EXPECT_EQ(fits.maximum(), 0);
    EXPECT_EQ(fits.contentOffset(10), 0);

    const SheetScroll scroll(800, 400); // range 408, page 204
    EXPECT_EQ(scroll.range(), 408);
    EXPECT_EQ(scroll.page(), 204);
    EXPECT_EQ(scroll.maximum(), 204);
    EXPECT_EQ(scroll.lineStep(), 20);
    EXPECT_EQ(scroll.contentOffset(0), 0);
    EXPECT_EQ(scroll.contentOffset(scroll.maximum()), 408) << "the last position shows the end";
    EXPECT_EQ(scroll.contentOffset(10000), 408);
    EXPECT_EQ(scroll.clamp(-3), 0);

    // A page that rounds up to the whole range leaves nothing to scroll (and
    // nothing to divide by).
    const SheetScroll almost(1000, 999);
    EXPECT_EQ(almost.range(), 9);
    EXPECT_EQ(almost.page(), 9);
    EXPECT_EQ(almost.maximum(), 0);
    EXPECT_EQ(almost.contentOffset(5), 0);
}

} // namespace
