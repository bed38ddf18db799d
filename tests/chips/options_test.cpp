// SPDX-License-Identifier: MIT
// Option bytes <-> selection: the documented edge cases, the
// trim-word routines and an encode/decode round trip over the whole table.
#include "chips/chip_table.h"
#include "chips/option_text.h"
#include "chips/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8 {
namespace {

using option_text::pieceCount;

std::int32_t indexOf(std::string_view partName) {
    const auto table = chipTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (partName == table[i].partName) return static_cast<std::int32_t>(i);
    }
    ADD_FAILURE() << "no chip named " << partName;
    return -1;
}

// First row whose predicate holds.
template <typename Pred> std::int32_t firstRow(Pred&& pred) {
    const auto table = chipTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (pred(table[i])) return static_cast<std::int32_t>(i);
    }
    return -1;
}

int slotNamed(const ChipRecord& chip, std::string_view name) {
    for (int k = 0; k < kItemSlots; ++k) {
        if (name == chip.items[k].name) return k;
    }
    return -1;
}

int bitNamed(const ChipRecord& chip, std::string_view name) {
    for (int j = 0; j < kBitSlots; ++j) {
        if (name == chip.bits[j].name) return j;
    }
    return -1;
}

std::vector<std::uint8_t> defaultBytes(std::int32_t chipIndex) {
    std::vector<std::uint8_t> bytes(chipAt(chipIndex)->optionByteCount);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = DefaultOptionByte(chipIndex, static_cast<int>(i));
    return bytes;
}

ContextRecord selectionFor(std::int32_t chipIndex) {
    ContextRecord ctx{};
    ctx.partIndex = chipIndex;
    return ctx;
}

// The default selection of a chip: its default bytes decoded.
ContextRecord defaultSelection(std::int32_t chipIndex) {
    ContextRecord ctx = selectionFor(chipIndex);
    const auto bytes = defaultBytes(chipIndex);
    DecodeOptions(ctx, bytes.data());
    return ctx;
}

OptionBlock encode(const ContextRecord& ctx) {
    OptionBlock block(chipAt(ctx.partIndex)->optionByteCount, 0xFF);
    EncodeOptions(ctx, block);
    return block;
}

// A chip record outside the table, for cases the delivered data never shows.
ChipRecord syntheticChip(std::uint8_t family, std::uint32_t flashSize, std::uint32_t optionBytes,
                         const char* defaults) {
    ChipRecord chip{};
    chip.partName = "SYNTHETIC";
    chip.seriesMask = 1;
    chip.chipId[0] = 0x99;
    chip.chipId[1] = family;
    chip.flashSize = flashSize;
    chip.flashPageSize = 512;
    chip.ispResourceId = 3006;
    chip.optionByteCount = optionBytes;
    chip.defaultOptions = defaults;
    for (auto& item : chip.items)
        item = {"NA", 0, 0, 0, "NA", "NA"};
    for (auto& bit : chip.bits)
        bit = {"NA", 0, 0, 0, "NA\0NA"};
    return chip;
}

// ---- Text grammar ----------------------------------------------------------------

TEST(OptionText, EmptyPiecesAreSkipped) {
    EXPECT_EQ(pieceCount("1|0x01,1|0x02,6|0x20,"), 3);
    EXPECT_EQ(pieceCount(",,a,,b,"), 2);
    EXPECT_EQ(pieceCount(""), 0);
    EXPECT_EQ(option_text::pieceAt(",,a,,b,", 1).value_or("?"), "b");
    EXPECT_FALSE(option_text::pieceAt("a,b", 2).has_value());
    EXPECT_FALSE(option_text::pieceAt("a,b", -1).has_value());
}

TEST(OptionText, NumbersParseLikeTheStandardConversions) {
    EXPECT_EQ(option_text::parseHex("0xF8"), 0xF8u);
    EXPECT_EQ(option_text::parseHex("F8"), 0xF8u);
    EXPECT_EQ(option_text::parseHex(" 0x7"), 0x7u);
    EXPECT_EQ(option_text::parseHex("zz"), 0u);
    EXPECT_EQ(option_text::parseHex(""), 0u);
    EXPECT_EQ(option_text::parseHex("0x1F8"), 0x1F8u);
    // 64-bit conversion: a wide number keeps its low bits for the truncation.
    EXPECT_EQ(option_text::parseHex("0x123456789AB"), 0x123456789ABu);
    EXPECT_EQ(option_text::parseDecimal("1024"), 1024);
    EXPECT_EQ(option_text::parseDecimal("x"), 0);
    EXPECT_EQ(option_text::lowestSetBit(0x00), 8);
    EXPECT_EQ(option_text::lowestSetBit(0x30), 4);
    EXPECT_EQ(option_text::lowestSetBit(0x80), 7);
}

// ---- DefaultOptionByte -----------------------------------------------------------

TEST(DefaultOptionByte, TokensOfTheDefaultText) {
    EXPECT_EQ(DefaultOptionByte(0, 0), 0xF8);
    EXPECT_EQ(DefaultOptionByte(0, 1), 0xFF);
}

TEST(DefaultOptionByte, OutOfRangeIsErased) {
    EXPECT_EQ(DefaultOptionByte(0, 2), 0xFF);
    EXPECT_EQ(DefaultOptionByte(0, -1), 0xFF);
    EXPECT_EQ(DefaultOptionByte(-1, 0), 0xFF);
    EXPECT_EQ(DefaultOptionByte(static_cast<std::int32_t>(chipTable().size()), 0), 0xFF);
}

TEST(DefaultOptionByte, WideTokensAreTruncatedToEightBits) {
    const ChipRecord chip = syntheticChip(0xE0, 0x4000, 4, "0x123456789AB,F8, 0x7,junk");
    EXPECT_EQ(detail::defaultOptionByte(chip, 0), 0xAB);
    EXPECT_EQ(detail::defaultOptionByte(chip, 1), 0xF8);
    EXPECT_EQ(detail::defaultOptionByte(chip, 2), 0x07);
    EXPECT_EQ(detail::defaultOptionByte(chip, 3), 0x00);
}

// ---- DecodeOptions ---------------------------------------------------------------

TEST(DecodeOptions, OldestFamilyDefaults) {
    const ChipRecord& chip = *chipAt(0);
    ASSERT_STREQ(chip.defaultOptions, "0xF8,0xFF");
    ContextRecord ctx = selectionFor(0);
    ctx.itemValue[0] = 5;
    const std::uint8_t bytes[] = {0xF8, 0xFF};
    DecodeOptions(ctx, bytes);
    EXPECT_EQ(ctx.itemValue[0], 0) << "0xF8 AND 0x30 = 0x30 matches the pair 0|0x30";
    for (int j = 0; j < kBitSlots; ++j) {
        const std::string_view name = chip.bits[j].name;
        const bool active = name == "LOCK" || name == "SB" || name == "MOVCL";
        EXPECT_EQ(ctx.bitValue[j], active ? 1u : 0u) << name;
    }
}

TEST(DecodeOptions, IspCodeMatchingNoPairLeavesTheValue) {
    ChipRecord chip = syntheticChip(0xE0, 0x4000, 4, "0xFF,0xFF,0xFF,0xFF");
    chip.items[0] = {"ISP_SIZE", 0, 0x30, 0, "NA", "0|0x30,1024|0x20"};
    chip.items[1] = {"IAP_SIZE", 3, 0xFE, 0, "NA", "C8051-IAP"};
    ContextRecord ctx{};
    ctx.itemValue[0] = 6;
    const std::uint8_t bytes[] = {0xCF, 0xFF, 0xFF, 0x20}; // ISP field 0x00: no pair
    detail::decodeOptions(chip, ctx, bytes);
    EXPECT_EQ(ctx.itemValue[0], 6);
    // The ISP size stayed 0: IAP start 0x2000 on a 16 KB chip is 16 pages.
    EXPECT_EQ(ctx.itemValue[1], (0x4000 - 0x2000) / 512);
}

TEST(DecodeOptions, NamelessSlotsAreLeftAlone) {
    const std::int32_t n = 0;
    ContextRecord ctx = selectionFor(n);
    for (auto& v : ctx.itemValue)
        v = 77;
    for (auto& v : ctx.bitValue)
        v = 77;
    const auto bytes = defaultBytes(n);
    DecodeOptions(ctx, bytes.data());
    const ChipRecord& chip = *chipAt(n);
    for (int k = 0; k < kItemSlots; ++k) {
        if (std::string_view(chip.items[k].name) == "NA") {
            EXPECT_EQ(ctx.itemValue[k], 77);
        }
    }
    for (int j = 0; j < kBitSlots; ++j) {
        if (std::string_view(chip.bits[j].name) == "NA") {
            EXPECT_EQ(ctx.bitValue[j], 77u);
        } else {
            EXPECT_LE(ctx.bitValue[j], 1u) << "decoded bit values are 0 or 1";
        }
    }
}

TEST(DecodeOptions, NoChipChangesNothing) {
    ContextRecord ctx{};
    ctx.partIndex = -1;
    ctx.itemValue[0] = 3;
    ctx.bitValue[0] = 9;
    const std::uint8_t bytes[16] = {};
    DecodeOptions(ctx, bytes);
    ctx.partIndex = static_cast<std::int32_t>(chipTable().size());
    DecodeOptions(ctx, bytes);
    EXPECT_EQ(ctx.itemValue[0], 3);
    EXPECT_EQ(ctx.bitValue[0], 9u);
}

TEST(DecodeOptions, GenericFieldBelowBiasReadsZero) {
    ChipRecord chip = syntheticChip(0xE0, 0x4000, 2, "0xF8,0xFF");
    chip.items[0] = {"ISP_SIZE", 0, 0x30, 0, "NA", "0|0x30,1024|0x20,2048|0x10,4096|0x00"};
    chip.items[2] = {"BOD1 level", 1, 0x03, 2, "NA", "a,b"};
    ContextRecord ctx{};
    const std::uint8_t bytes[] = {0xF8, 0xFE}; // field (inverted) = 1, minus bias 2
    detail::decodeOptions(chip, ctx, bytes);
    EXPECT_EQ(ctx.itemValue[2], 0);
}

// ---- IAP_SIZE --------------------------------------------------------------------

TEST(IapSize, SixtyFourKilobytesWithoutIspArea) {
    const std::int32_t n = firstRow([](const ChipRecord& c) {
        return c.flashSize == 0x10000 && std::string_view(c.items[1].name) == "IAP_SIZE";
    });
    ASSERT_GE(n, 0);
    const ChipRecord& chip = *chipAt(n);
    const int iap = chip.items[1].byteIndex;
    ContextRecord ctx = defaultSelection(n);
    ASSERT_EQ(ctx.itemValue[0], 0) << "ISP size 0";

    ctx.itemValue[1] = 0;
    EXPECT_EQ(encode(ctx)[iap] & 0xFE, 0xFE);
    ctx.itemValue[1] = 2;
    const OptionBlock two = encode(ctx);
    EXPECT_EQ(two[iap] & 0xFE, 0xFA);

    ContextRecord back = selectionFor(n);
    DecodeOptions(back, two.data());
    EXPECT_EQ(back.itemValue[1], 3) << "the last 512-byte page is counted";

    // v >= 1 decodes to v + 1 all the way up.
    for (int v = 1; v <= 127; ++v) {
        ctx.itemValue[1] = v;
        const OptionBlock block = encode(ctx);
        DecodeOptions(back, block.data());
        EXPECT_EQ(back.itemValue[1], v + 1) << v;
    }
}

TEST(IapSize, SixtyFourKilobytesWithIspArea) {
    const std::int32_t n = firstRow([](const ChipRecord& c) {
        return c.flashSize == 0x10000 && std::string_view(c.items[1].name) == "IAP_SIZE";
    });
    ContextRecord ctx = defaultSelection(n);
    ctx.itemValue[0] = 2; // a non-zero ISP size
    for (int v = 0; v <= 8; ++v) {
        ctx.itemValue[1] = v;
        const OptionBlock block = encode(ctx);
        ContextRecord back = selectionFor(n);
        DecodeOptions(back, block.data());
        EXPECT_EQ(back.itemValue[1], v);
    }
}

TEST(IapSize, OtherSizesWithoutIspArea) {
    for (const char* name : {"VS8E116", "VS8D232", "VS8B132"}) {
        const std::int32_t n = indexOf(name);
        const ChipRecord& chip = *chipAt(n);
        ASSERT_NE(chip.flashSize, 0x10000u);
        const int iap = chip.items[1].byteIndex;
        ContextRecord ctx = defaultSelection(n);
        ASSERT_EQ(ctx.itemValue[0], 0);
        ctx.itemValue[1] = 0;
        EXPECT_EQ(encode(ctx)[iap] & 0xFE, 0xFE) << name;
        for (int v = 1; v <= static_cast<int>(chip.flashSize / 512); ++v) {
            ctx.itemValue[1] = v;
            const OptionBlock block = encode(ctx);
            EXPECT_EQ(block[iap] & 0xFE, ((chip.flashSize - 512u * v) >> 8) & 0xFE)
                << name << " " << v;
            ContextRecord back = selectionFor(n);
            DecodeOptions(back, block.data());
            EXPECT_EQ(back.itemValue[1], v) << name;
        }
    }
}

TEST(IapSize, WithIspArea) {
    const std::int32_t n = indexOf("VS8E116"); // 16 KB, ISP pairs from 0 in 1 KB steps
    ContextRecord ctx = defaultSelection(n);
    ctx.itemValue[0] = 1; // 1024 bytes
    ctx.itemValue[1] = 3;
    const OptionBlock block = encode(ctx);
    EXPECT_EQ(block[3] & 0xFE, (0x4000 - 1024 - 3 * 512) >> 8);
    ContextRecord back = selectionFor(n);
    DecodeOptions(back, block.data());
    EXPECT_EQ(back.itemValue[0], 1);
    EXPECT_EQ(back.itemValue[1], 3);
}

TEST(IapSize, StartAtOrAboveFlashOrNoAreaDecodesZero) {
    const std::int32_t n = indexOf("VS8E116"); // 16 KB, IAP in byte 3
    for (std::uint8_t start : {0x40, 0x42, 0x80, 0xFC, 0xFE, 0xFF}) {
        auto bytes = defaultBytes(n);
        bytes[3] = start;
        ContextRecord ctx = selectionFor(n);
        ctx.itemValue[1] = 9;
        DecodeOptions(ctx, bytes.data());
        EXPECT_EQ(ctx.itemValue[1], 0) << int(start);
    }
    const std::int32_t big = indexOf("VS8G164");
    auto bytes = defaultBytes(big);
    bytes[3] = 0xFE; // 0xFE00: no IAP area even on a 64 KB chip
    ContextRecord ctx = selectionFor(big);
    ctx.itemValue[1] = 9;
    DecodeOptions(ctx, bytes.data());
    EXPECT_EQ(ctx.itemValue[1], 0);
}

// ---- The scattered brown-out field with bias 2 ------------------------------------

class ScatteredField : public ::testing::Test {
  protected:
    void SetUp() override {
        n = firstRow(
            [](const ChipRecord& c) { return std::string_view(c.items[2].bitMap) != "NA"; });
        ASSERT_GE(n, 0);
        ASSERT_STREQ(chipAt(n)->items[2].bitMap, "1|0x01,1|0x02,6|0x20,");
        ASSERT_EQ(chipAt(n)->items[2].bias, 2);
    }
    std::int32_t decodeWith(std::uint8_t byte1Bits, bool byte6Bit5) {
        auto bytes = defaultBytes(n);
        bytes[1] = static_cast<std::uint8_t>((bytes[1] & ~0x03) | byte1Bits);
        bytes[6] = static_cast<std::uint8_t>(byte6Bit5 ? bytes[6] | 0x20 : bytes[6] & ~0x20);
        ContextRecord ctx = selectionFor(n);
        DecodeOptions(ctx, bytes.data());
        return ctx.itemValue[2];
    }
    std::int32_t n = -1;
};

TEST_F(ScatteredField, ZeroIsStoredAsBitZeroSetBitOneClearAndByteSixBitFiveSet) {
    ContextRecord ctx = defaultSelection(n);
    ctx.itemValue[2] = 0;
    const OptionBlock block = encode(ctx);
    EXPECT_EQ(block[1] & 0x03, 0x01);
    EXPECT_EQ(block[6] & 0x20, 0x20);
    ContextRecord back = selectionFor(n);
    back.itemValue[2] = 99;
    DecodeOptions(back, block.data());
    EXPECT_EQ(back.itemValue[2], 0);
}

TEST_F(ScatteredField, AllBitsSetDecodesMinusTwo) { EXPECT_EQ(decodeWith(0x03, true), -2); }

TEST_F(ScatteredField, OnlyByteSixBitFiveSetDecodesOne) { EXPECT_EQ(decodeWith(0x00, true), 1); }

TEST_F(ScatteredField, EveryLabelRoundTrips) {
    for (int v = 0; v < 6; ++v) {
        ContextRecord ctx = defaultSelection(n);
        ctx.itemValue[2] = v;
        const OptionBlock block = encode(ctx);
        ContextRecord back = selectionFor(n);
        DecodeOptions(back, block.data());
        EXPECT_EQ(back.itemValue[2], v);
    }
}

TEST(BitMap, TrailingAndDoubledCommasAddNoPair) {
    for (const char* map :
         {"1|0x01,1|0x02,6|0x20,", "1|0x01,1|0x02,6|0x20", ",1|0x01,,1|0x02,6|0x20,,"}) {
        ChipRecord chip = syntheticChip(0xE0, 0x4000, 7, "0xFF,0xFF,0xFF,0xFF,0xFF,0xFF,0xFF");
        chip.items[0] = {"ISP_SIZE", 0, 0x30, 0, "NA", "0|0x30"};
        chip.items[2] = {"BOD1 level", 1, 0x03, 2, map, "a,b,c,d,e,f"};
        ContextRecord ctx{};
        const std::uint8_t allSet[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        detail::decodeOptions(chip, ctx, allSet);
        // Three pairs: (7 AND NOT 7) - 2. A fourth, phantom pair would give 6.
        EXPECT_EQ(ctx.itemValue[2], -2) << map;
    }
}

// ---- EncodeOptions -----------------------------------------------------------------

TEST(EncodeOptions, IspValueBeyondTheListChangesNothing) {
    const std::int32_t n = indexOf("VS8E116");
    ContextRecord ctx = defaultSelection(n);
    ctx.itemValue[0] = 99;
    ctx.itemValue[1] = 0;
    const OptionBlock block = encode(ctx);
    EXPECT_EQ(block[0], DefaultOptionByte(n, 0));
    EXPECT_EQ(block[3] & 0xFE, 0xFE) << "no ISP size: IAP 0 is 'no area'";
    ctx.itemValue[0] = -1;
    EXPECT_EQ(encode(ctx)[0], DefaultOptionByte(n, 0));
}

TEST(EncodeOptions, BitValueOtherThanOneIsInactive) {
    const std::int32_t n = 0;
    ContextRecord ctx = defaultSelection(n);
    ctx.bitValue[0] = 2;
    EXPECT_EQ(encode(ctx)[0] & 0x01, 0x01);
    ctx.bitValue[0] = 1;
    EXPECT_EQ(encode(ctx)[0] & 0x01, 0x00);
}

TEST(EncodeOptions, BytesBeyondTheOptionBytesAreLeftAlone) {
    const std::int32_t n = indexOf("VS8F116");
    ContextRecord ctx = defaultSelection(n);
    OptionBlock block(64, 0x55);
    EncodeOptions(ctx, block);
    ASSERT_EQ(block.size(), 64u);
    for (std::size_t i = 7; i < block.size(); ++i)
        EXPECT_EQ(block[i], 0x55) << i;
}

TEST(EncodeOptions, ShortBlockIsExtended) {
    const std::int32_t n = indexOf("VS8F116");
    OptionBlock block;
    EncodeOptions(defaultSelection(n), block);
    EXPECT_EQ(block, defaultBytes(n));
}

TEST(EncodeOptions, NoChipLeavesTheBlock) {
    ContextRecord ctx{};
    ctx.partIndex = -1;
    OptionBlock block(3, 0x12);
    EncodeOptions(ctx, block);
    EXPECT_EQ(block, OptionBlock(3, 0x12));
}

TEST(EncodeOptions, DefaultSelectionGivesTheDefaultBytes) {
    for (std::size_t n = 0; n < chipTable().size(); ++n) {
        const auto idx = static_cast<std::int32_t>(n);
        EXPECT_EQ(encode(defaultSelection(idx)), defaultBytes(idx)) << chipAt(idx)->partName;
    }
}

// ---- Checksum extension -------------------------------------------------------------

TEST(ChecksumExtension, SevenBytesBecomeSixteen) {
    const std::int32_t n = indexOf("VS8F116");
    ASSERT_EQ(chipAt(n)->optionByteCount, 7u);
    ASSERT_EQ(chipAt(n)->chipChecksumSupported, 1u);
    ContextRecord ctx = defaultSelection(n);
    ctx.bitValue[bitNamed(*chipAt(n), "LOCK")] = 1;
    const OptionBlock plain = encode(ctx);

    ctx.autoProcess = S8_STEP_RUNNING | S8_STEP_SAVE_CHIP_CHECKSUM | S8_DEFAULT_AUTO_PROCESS;
    ctx.flashFullChecksum = 0xBEEF;
    OptionBlock block(7, 0x00);
    EncodeOptions(ctx, block);
    ASSERT_EQ(block.size(), 16u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(block[i], plain[i]) << i;
    for (int i = 7; i < 14; ++i)
        EXPECT_EQ(block[i], 0xFF) << i;
    EXPECT_EQ(block[14], 0xEF);
    EXPECT_EQ(block[15], 0xBE);
}

TEST(ChecksumExtension, LargerBlockKeepsItsSize) {
    const std::int32_t n = indexOf("VS8M164"); // family code 0x301: 112-byte project block
    ContextRecord ctx = defaultSelection(n);
    ctx.autoProcess = S8_STEP_RUNNING | S8_STEP_SAVE_CHIP_CHECKSUM;
    ctx.flashFullChecksum = 0x1234;
    OptionBlock block(112, 0x00);
    EncodeOptions(ctx, block);
    ASSERT_EQ(block.size(), 112u);
    EXPECT_EQ(block[14], 0x34);
    EXPECT_EQ(block[15], 0x12);
    for (std::size_t i = 16; i < block.size(); ++i)
        EXPECT_EQ(block[i], 0xFF) << i;
}

TEST(ChecksumExtension, NoGrowthWhenAStepBitIsClear) {
    const std::int32_t n = indexOf("VS8F116");
    for (std::uint16_t steps : {std::uint16_t(S8_STEP_RUNNING),
                                std::uint16_t(S8_STEP_SAVE_CHIP_CHECKSUM), std::uint16_t(0)}) {
        ContextRecord ctx = defaultSelection(n);
        ctx.autoProcess = steps;
        ctx.flashFullChecksum = 0xBEEF;
        EXPECT_EQ(encode(ctx).size(), 7u) << steps;
    }
}

TEST(ChecksumExtension, NotOnChipsWithoutChecksumSupport) {
    const std::int32_t n = indexOf("VS8E116");
    ASSERT_EQ(chipAt(n)->chipChecksumSupported, 0u);
    ContextRecord ctx = defaultSelection(n);
    ctx.autoProcess = S8_STEP_RUNNING | S8_STEP_SAVE_CHIP_CHECKSUM;
    EXPECT_EQ(encode(ctx).size(), chipAt(n)->optionByteCount);
}

// ---- Trim frequency ------------------------------------------------------------------

struct TrimCase {
    std::uint8_t family;
    int byte0External, byte0Other; // expected byte 0 AND 0x03
    int byte1External, byte1Other; // expected byte 1 AND the family's bits
    std::uint8_t byte1Bits;
};

TEST(TrimFrequency, EncodedBitsByFamily) {
    const TrimCase cases[] = {
        {0xF8, -1, -1, 0x42, 0x20, 0x62},
        {0xF9, -1, -1, 0x62, 0x20, 0x62},
        {0xFA, 0x03, 0x01, 0x08, 0x00, 0x08},
        {0xFC, -1, -1, 0x08, 0x00, 0x08},
    };
    for (const TrimCase& c : cases) {
        const std::int32_t n =
            firstRow([&](const ChipRecord& chip) { return chip.familyByte() == c.family; });
        ASSERT_GE(n, 0);
        const int slot = slotNamed(*chipAt(n), "Trim_Frequency");
        ASSERT_EQ(slot, 2);
        ContextRecord ctx = defaultSelection(n);
        for (int v : {0, 1, 3}) {
            ctx.itemValue[slot] = v;
            const OptionBlock block = encode(ctx);
            EXPECT_EQ(block[1] & c.byte1Bits, v == 0 ? c.byte1External : c.byte1Other)
                << int(c.family) << " " << v;
            if (c.byte0External >= 0) {
                EXPECT_EQ(block[0] & 0x03, v == 0 ? c.byte0External : c.byte0Other)
                    << int(c.family);
            }
            ContextRecord back = selectionFor(n);
            back.itemValue[slot] = 5;
            DecodeOptions(back, block.data());
            EXPECT_EQ(back.itemValue[slot], 0) << "a mask-0 item always decodes to 0";
        }
    }
}

TEST(TrimFrequency, TrimWordFromLabels) {
    const std::int32_t n = firstRow([](const ChipRecord& c) {
        return c.familyByte() == 0xFC && std::string_view(c.items[2].choices) ==
                                             "External,6M,11.0592M,12M,22.1184M,24M,24.576M";
    });
    ASSERT_GE(n, 0);
    const std::uint16_t expected[] = {0x0000, 0x0101, 0x0301, 0x0401, 0x0601, 0x0701, 0x0801};
    for (int v = 0; v < 7; ++v) {
        ContextRecord ctx = selectionFor(n);
        ctx.trimWord = 0xABCD;
        ctx.itemValue[2] = v;
        EXPECT_EQ(TrimWordFromSelection(ctx), 0);
        EXPECT_EQ(ctx.trimWord, expected[v]) << v;

        ContextRecord back = selectionFor(n);
        back.trimWord = expected[v];
        back.itemValue[2] = 42;
        EXPECT_EQ(SelectionFromTrimWord(back), 0);
        EXPECT_EQ(back.itemValue[2], v);
    }
}

TEST(TrimFrequency, LabelBeyondTheListLeavesTheTrimWord) {
    const std::int32_t n = firstRow([](const ChipRecord& c) { return c.familyByte() == 0xF9; });
    for (std::int32_t v : {4, 100, -1}) {
        ContextRecord ctx = selectionFor(n);
        ctx.trimWord = 0x0401;
        ctx.itemValue[2] = v;
        EXPECT_EQ(TrimWordFromSelection(ctx), 0);
        EXPECT_EQ(ctx.trimWord, 0x0401) << v;
    }
}

TEST(TrimFrequency, OtherFamiliesHaveNoTrimWord) {
    ContextRecord ctx = selectionFor(0); // family 0xF0
    ctx.trimWord = 0x0301;
    EXPECT_EQ(TrimWordFromSelection(ctx), 0);
    EXPECT_EQ(ctx.trimWord, 0);

    ctx.trimWord = 0x0301;
    ctx.itemValue[2] = 7;
    EXPECT_EQ(SelectionFromTrimWord(ctx), 0);
    EXPECT_EQ(ctx.itemValue[2], 7);
}

TEST(TrimFrequency, LowByteIsNotLookedAt) {
    const std::int32_t n = firstRow([](const ChipRecord& c) { return c.familyByte() == 0xF8; });
    ContextRecord ctx = selectionFor(n);
    ctx.trimWord = 0x0600; // 22.1184M, trimming not requested
    EXPECT_EQ(SelectionFromTrimWord(ctx), 0);
    EXPECT_EQ(ctx.itemValue[2], 4);
}

TEST(TrimFrequency, LabelMissingFromTheChoicesLeavesTheValue) {
    const std::int32_t n = firstRow([](const ChipRecord& c) { return c.familyByte() == 0xF9; });
    for (std::uint16_t word :
         {0x0201, 0x0601, 0x0801}) { // 8M, 22.1184M, 24.576M: not on the short list
        ContextRecord ctx = selectionFor(n);
        ctx.itemValue[2] = 2;
        ctx.trimWord = word;
        EXPECT_EQ(SelectionFromTrimWord(ctx), 0);
        EXPECT_EQ(ctx.itemValue[2], 2) << word;
    }
}

TEST(TrimFrequency, IndexAboveEightChangesNothing) {
    const std::int32_t n = firstRow([](const ChipRecord& c) { return c.familyByte() == 0xFA; });
    for (std::uint16_t word : {0x0901, 0x0A00, 0xFF01, 0xFFFF}) {
        ContextRecord ctx = selectionFor(n);
        ctx.itemValue[2] = 3;
        ctx.trimWord = word;
        EXPECT_EQ(SelectionFromTrimWord(ctx), 0);
        EXPECT_EQ(ctx.itemValue[2], 3) << word;
        EXPECT_EQ(ctx.trimWord, word);
    }
}

TEST(TrimFrequency, TrimFamilyWithoutTrimItemIsCode20) {
    ChipRecord chip = syntheticChip(0xF8, 0x4000, 2, "0xFF,0xFF");
    chip.items[0] = {"ISP_SIZE", 0, 0x30, 0, "NA", "0|0x30"};
    ContextRecord ctx{};
    ctx.trimWord = 0x0301;
    ctx.itemValue[2] = 4;
    EXPECT_EQ(detail::trimWordFromSelection(chip, ctx), kTrimItemMissing);
    EXPECT_EQ(ctx.trimWord, 0x0301);
    EXPECT_EQ(detail::selectionFromTrimWord(chip, ctx), kTrimItemMissing);
    EXPECT_EQ(ctx.itemValue[2], 4);
}

TEST(TrimFrequency, NoChip) {
    ContextRecord ctx{};
    ctx.partIndex = -1;
    ctx.trimWord = 0x0301;
    EXPECT_EQ(TrimWordFromSelection(ctx), 0);
    EXPECT_EQ(SelectionFromTrimWord(ctx), 0);
    EXPECT_EQ(ctx.trimWord, 0x0301);
}

// ---- Round trip over the whole table ------------------------------------------------

struct RoundTrip : ::testing::TestWithParam<std::size_t> {};

// The IAP values an options panel can produce for an ISP size, and what
// decoding gives back for each (the 64 KB exception).
std::vector<std::pair<int, int>> iapValues(const ChipRecord& chip, std::int64_t isp) {
    std::vector<std::pair<int, int>> values;
    if (isp != 0) {
        for (int v = 0; v <= (static_cast<std::int64_t>(chip.flashSize) - isp) / 512; ++v)
            values.push_back({v, v});
    } else if (chip.flashSize == 0x10000) {
        values.push_back({0, 0});
        for (int v = 1; v <= 127; ++v)
            values.push_back({v, v + 1});
    } else {
        for (int v = 0; v <= static_cast<int>(chip.flashSize / 512); ++v)
            values.push_back({v, v});
    }
    return values;
}

std::int64_t ispSize(const ChipRecord& chip, int v) {
    return option_text::parseDecimal(*option_text::pieceAt(chip.items[0].choices, v));
}

void expectSameSelection(const ContextRecord& got, const ContextRecord& want,
                         const ChipRecord& chip, const std::string& what) {
    for (int k = 0; k < kItemSlots; ++k) {
        const std::string_view name = chip.items[k].name;
        if (name == "NA" || name == "Trim_Frequency") continue;
        EXPECT_EQ(got.itemValue[k], want.itemValue[k]) << what << ": item " << name;
    }
    for (int j = 0; j < kBitSlots; ++j) {
        if (std::string_view(chip.bits[j].name) == "NA") continue;
        EXPECT_EQ(got.bitValue[j], want.bitValue[j]) << what << ": bit " << chip.bits[j].name;
    }
}

ContextRecord roundTrip(const ContextRecord& ctx) {
    const OptionBlock block = encode(ctx);
    ContextRecord back = selectionFor(ctx.partIndex);
    for (auto& v : back.itemValue)
        v = -99;
    for (auto& v : back.bitValue)
        v = 99;
    DecodeOptions(back, block.data());
    return back;
}

TEST_P(RoundTrip, EveryItemValue) {
    const auto n = static_cast<std::int32_t>(GetParam());
    const ChipRecord& chip = *chipAt(n);
    SCOPED_TRACE(chip.partName);
    const ContextRecord base = defaultSelection(n);
    for (int k = 0; k < kItemSlots; ++k) {
        const std::string_view name = chip.items[k].name;
        if (name == "NA" || name == "Trim_Frequency" || name == "IAP_SIZE") continue;
        for (int v = 0; v < pieceCount(chip.items[k].choices); ++v) {
            ContextRecord ctx = base;
            ctx.itemValue[k] = v;
            ContextRecord want = ctx;
            if (name == "ISP_SIZE" && slotNamed(chip, "IAP_SIZE") == 1) {
                // IAP 0 means "no IAP area" whatever the ISP size.
                want.itemValue[1] = 0;
            }
            expectSameSelection(roundTrip(ctx), want, chip,
                                std::string(name) + "=" + std::to_string(v));
        }
    }
}

struct IapRoundTrip : ::testing::TestWithParam<std::size_t> {};

TEST_P(IapRoundTrip, EveryIapValueForEveryIspSize) {
    const auto n = static_cast<std::int32_t>(GetParam());
    const ChipRecord& chip = *chipAt(n);
    ASSERT_EQ(slotNamed(chip, "IAP_SIZE"), 1);
    SCOPED_TRACE(chip.partName);
    const ContextRecord base = defaultSelection(n);
    for (int p = 0; p < pieceCount(chip.items[0].choices); ++p) {
        for (const auto& [v, decoded] : iapValues(chip, ispSize(chip, p))) {
            ContextRecord ctx = base;
            ctx.itemValue[0] = p;
            ctx.itemValue[1] = v;
            ContextRecord want = ctx;
            want.itemValue[1] = decoded;
            expectSameSelection(roundTrip(ctx), want, chip,
                                "ISP " + std::to_string(p) + " IAP " + std::to_string(v));
        }
    }
}

TEST_P(RoundTrip, EveryBit) {
    const auto n = static_cast<std::int32_t>(GetParam());
    const ChipRecord& chip = *chipAt(n);
    SCOPED_TRACE(chip.partName);
    for (std::uint32_t others : {0u, 1u}) {
        ContextRecord base = defaultSelection(n);
        for (auto& b : base.bitValue)
            b = others;
        for (int j = 0; j < kBitSlots; ++j) {
            if (std::string_view(chip.bits[j].name) == "NA") continue;
            for (std::uint32_t state : {0u, 1u}) {
                ContextRecord ctx = base;
                ctx.bitValue[j] = state;
                expectSameSelection(roundTrip(ctx), ctx, chip,
                                    std::string(chip.bits[j].name) + "=" + std::to_string(state));
            }
        }
    }
}

TEST_P(RoundTrip, RandomSelections) {
    const auto n = static_cast<std::int32_t>(GetParam());
    const ChipRecord& chip = *chipAt(n);
    SCOPED_TRACE(chip.partName);
    std::mt19937 random(1234u + static_cast<unsigned>(n));
    for (int round = 0; round < 200; ++round) {
        ContextRecord ctx = selectionFor(n);
        ContextRecord want = ctx;
        std::int64_t isp = 0;
        for (int k = 0; k < kItemSlots; ++k) {
            const std::string_view name = chip.items[k].name;
            if (name == "NA") continue;
            if (name == "IAP_SIZE") {
                const auto values = iapValues(chip, isp);
                const auto& [v, decoded] = values[random() % values.size()];
                ctx.itemValue[k] = v;
                want.itemValue[k] = decoded;
                continue;
            }
            const int v = static_cast<int>(
                random() % static_cast<unsigned>(pieceCount(chip.items[k].choices)));
            ctx.itemValue[k] = want.itemValue[k] = v;
            if (name == "ISP_SIZE") isp = ispSize(chip, v);
        }
        for (int j = 0; j < kBitSlots; ++j)
            ctx.bitValue[j] = want.bitValue[j] = random() % 2;
        expectSameSelection(roundTrip(ctx), want, chip, "round " + std::to_string(round));
    }
}

std::string chipName(const ::testing::TestParamInfo<std::size_t>& param) {
    return chipTable()[param.param].partName;
}

std::vector<std::size_t> chipsWithIap() {
    std::vector<std::size_t> rows;
    for (std::size_t n = 0; n < chipTable().size(); ++n) {
        if (slotNamed(chipTable()[n], "IAP_SIZE") == 1) rows.push_back(n);
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(AllChips, RoundTrip, ::testing::Range<std::size_t>(0, chipTable().size()),
                         chipName);
INSTANTIATE_TEST_SUITE_P(ChipsWithIap, IapRoundTrip, ::testing::ValuesIn(chipsWithIap()), chipName);

} // namespace
} // namespace scriba8
