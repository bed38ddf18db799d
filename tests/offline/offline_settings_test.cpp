// SPDX-License-Identifier: MIT
// The settings block read back from a programmer: which blocks are taken,
// and what each layout fills in.
#include "offline_fixture.h"

#include "chips/options.h"

#include <gmock/gmock.h>

#include <array>

namespace scriba8::testing {
namespace {

using Block = std::array<std::uint8_t, kOffLineReadLength>;

// Bytes 2 to length - 1, without the counters the programmer changes.
void sealLayout(Block& b, std::size_t currentSerialAt, std::size_t counterAt) {
    const std::size_t length = b[2] | b[3] << 8;
    std::uint32_t sum = 0;
    for (std::size_t i = 2; i < length; ++i) {
        const bool counter = (i >= currentSerialAt && i < currentSerialAt + 4) || (i >= counterAt && i < counterAt + 2);
        if (!counter) sum += b[i];
    }
    b[0] = static_cast<std::uint8_t>(sum);
    b[1] = static_cast<std::uint8_t>(sum >> 8);
}

void seal2(Block& b) { sealLayout(b, 52, 58); }

void setLength(Block& b, std::size_t length) {
    b[2] = static_cast<std::uint8_t>(length);
    b[3] = static_cast<std::uint8_t>(length >> 8);
}

class SettingsBlockTest : public ::testing::Test {
protected:
    // A layout-2 block as OffLineMode writes it for the chip, padded to the
    // read length with 0xFF as the programmer returns it.
    Block blockFor(const char* part) {
        const std::int32_t row = chipNamed(part);
        EXPECT_GE(row, 0) << part;
        ContextRecord ctx{};
        selectDefaults(ctx, row);
        ctx.flashLength = 0x1234;
        ctx.flashChecksum = 0xBEEF;
        ctx.eepromStart = 4;
        ctx.eepromLength = 0x80;
        ctx.eepromChecksum = 0x1111;
        ctx.autoProcess = S8_DEFAULT_AUTO_PROCESS;
        ctx.serialFlags = 3;
        ctx.serialAddress = 0x3FF0;
        std::memcpy(ctx.serialString, "ABCDEFGHIJKL", 12);
        ctx.serialNumber = 0x01020304;
        ctx.maxCounter = 1000;
        ctx.trimWord = 0x0301;
        OptionBlock options(chipAt(row)->optionByteCount, 0xFF);
        EncodeOptions(ctx, options);
        const auto bytes = buildOffLineSettings(ctx, *chipAt(row), options);
        Block b;
        b.fill(0xFF);
        std::copy(bytes.begin(), bytes.end(), b.begin());
        return b;
    }

    std::int32_t decode(const Block& b) { return decodeOffLineSettings(b, ctx_); }

    ContextRecord ctx_ = [] {
        ContextRecord r{};
        r.partIndex = -1;
        return r;
    }();
};

TEST_F(SettingsBlockTest, CountersChangedByTheProgrammerStillPass) {
    Block b = blockFor("VS8F116");
    b[52] = 0x78; // current serial number
    b[55] = 0x01;
    b[58] = 0x2A; // current counter
    b[59] = 0x03;
    ASSERT_EQ(decode(b), S8_PASS);
    EXPECT_EQ(ctx_.currentSerialNumber, 0x01000078u);
    EXPECT_EQ(ctx_.currentCounter, 0x032A);
    EXPECT_EQ(ctx_.serialNumber, 0x01020304u);
    EXPECT_EQ(ctx_.maxCounter, 1000);
    EXPECT_EQ(ctx_.trimWord, 0x0301);
    EXPECT_EQ(ctx_.eepromStart, 4u);
    EXPECT_EQ(ctx_.eepromLength, 0x80u);
    EXPECT_EQ(ctx_.eepromChecksum, 0x1111);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(ctx_.serialString), 12), "ABCDEFGHIJKL");

    // Any other byte is damage.
    for (std::size_t at : {2u, 5u, 14u, 36u, 56u, 60u, 68u, 74u}) {
        Block damaged = b;
        damaged[at] ^= 0x10;
        EXPECT_EQ(decode(damaged), S8_CHECKSUM_ERROR) << "byte " << at;
    }
}

TEST_F(SettingsBlockTest, RefusedBlocksLeaveTheRecordAlone) {
    Block erased;
    erased.fill(0xFF);
    erased[5] = 0x00; // only bytes 0-4 say "erased"
    EXPECT_EQ(decode(erased), S8_NO_OFFLINE_INFO);
    erased[4] = 0x02; // a layout, and a length of 0xFFFF
    EXPECT_EQ(decode(erased), S8_CHECKSUM_ERROR);

    const Block good = blockFor("VS8F116"); // 75 bytes: 68 + 7 option bytes
    for (std::size_t length : {257u, 0xFFFFu, 67u, 74u, 0u}) {
        Block b = good;
        setLength(b, length);
        if (length <= 256) seal2(b); // only the length is wrong
        EXPECT_EQ(decode(b), S8_CHECKSUM_ERROR) << length;
    }
    Block layout3 = good;
    layout3[4] = 3;
    sealLayout(layout3, 1000, 1000); // a layout without counters: all bytes count
    EXPECT_EQ(decode(layout3), S8_FAIL);
    EXPECT_EQ(ctx_.partIndex, -1);
    EXPECT_EQ(ctx_.flashLength, 0u);

    // More than the block needs is fine, as long as the sum covers it.
    Block longer = good;
    setLength(longer, 256);
    seal2(longer);
    EXPECT_EQ(decode(longer), S8_PASS);
}

TEST_F(SettingsBlockTest, LayoutOneHasNoEepromFields) {
    const Block layout2 = blockFor("VS8F116");
    Block b;
    b.fill(0xFF);
    std::copy_n(layout2.begin(), 20, b.begin());
    std::copy(layout2.begin() + 30, layout2.begin() + 75, b.begin() + 20);
    b[4] = 1;
    setLength(b, 65);
    b[42] = 0x05; // current serial number
    b[48] = 0x09; // current counter
    sealLayout(b, 42, 48);

    ctx_.eepromStart = 11;
    ctx_.eepromLength = 22;
    ctx_.eepromChecksum = 33;
    ASSERT_EQ(decode(b), S8_PASS);
    EXPECT_EQ(ctx_.eepromStart, 11u);
    EXPECT_EQ(ctx_.eepromLength, 22u);
    EXPECT_EQ(ctx_.eepromChecksum, 33);
    EXPECT_EQ(ctx_.currentSerialNumber, 5u);
    EXPECT_EQ(ctx_.currentCounter, 9);

    ContextRecord fromLayout2 = ctx_;
    ASSERT_EQ(decodeOffLineSettings(layout2, fromLayout2), S8_PASS);
    EXPECT_EQ(ctx_.partIndex, fromLayout2.partIndex);
    EXPECT_EQ(ctx_.flashLength, fromLayout2.flashLength);
    EXPECT_EQ(ctx_.autoProcess, fromLayout2.autoProcess);
    EXPECT_EQ(ctx_.serialAddress, fromLayout2.serialAddress);
    EXPECT_EQ(0, std::memcmp(ctx_.serialString, fromLayout2.serialString, 12));
    EXPECT_EQ(ctx_.serialNumber, fromLayout2.serialNumber);
    EXPECT_EQ(ctx_.maxCounter, fromLayout2.maxCounter);
    EXPECT_EQ(ctx_.trimWord, fromLayout2.trimWord);
    EXPECT_THAT(ctx_.itemValue, ::testing::ElementsAreArray(fromLayout2.itemValue));
    EXPECT_THAT(ctx_.bitValue, ::testing::ElementsAreArray(fromLayout2.bitValue));
}

TEST_F(SettingsBlockTest, FewerOptionBytesThanTheChipHasReadAsErased) {
    Block b = blockFor("VS8F116"); // seven option bytes
    b[67] = 2;
    setLength(b, 70);
    std::fill(b.begin() + 70, b.end(), 0x00); // what lies beyond must not be read
    seal2(b);
    ASSERT_EQ(decode(b), S8_PASS);
    std::array<std::uint8_t, 7> padded;
    padded.fill(0xFF);
    padded[0] = b[68];
    padded[1] = b[69];
    ContextRecord expected{};
    expected.partIndex = ctx_.partIndex;
    DecodeOptions(expected, padded.data());
    EXPECT_THAT(ctx_.bitValue, ::testing::ElementsAreArray(expected.bitValue));
    EXPECT_THAT(ctx_.itemValue, ::testing::ElementsAreArray(expected.itemValue));
}

TEST_F(SettingsBlockTest, PartCodeMatchingNoChipDecodesNoOptions) {
    Block b = blockFor("VS8F116");
    b[5] = 0xEF;
    b[6] = 0xBE;
    seal2(b);
    ctx_.partIndex = 3; // left from an earlier read of another programmer
    ctx_.itemValue[0] = 77;
    ctx_.bitValue[0] = 55;
    ASSERT_EQ(decode(b), S8_PASS);
    EXPECT_EQ(ctx_.partIndex, -1);
    EXPECT_EQ(ctx_.itemValue[0], 77);
    EXPECT_EQ(ctx_.bitValue[0], 55u);
    EXPECT_EQ(ctx_.flashLength, 0x1234u);

    // Two rows share a part code: the first one is taken.
    b[5] = 0x0D;
    b[6] = 0x05;
    seal2(b);
    ASSERT_EQ(decode(b), S8_PASS);
    EXPECT_STREQ(chipAt(ctx_.partIndex)->partName, "VS8E264");
}

} // namespace
} // namespace scriba8::testing
