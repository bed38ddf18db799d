// SPDX-License-Identifier: MIT
// The HEX reader for user ISP files: where it stops, what it refuses, and
// that it stays inside its image whatever the addresses say.
#include "project/isp_hex.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace scriba8 {
namespace {

constexpr std::uint64_t kLimit = 0x10000;
using Bytes = std::vector<std::uint8_t>;

// One record line; checksumError makes its checksum wrong by that much.
std::string record(std::uint16_t address, std::uint8_t type, const Bytes& data,
                   int checksumError = 0) {
    Bytes bytes{static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(address >> 8),
                static_cast<std::uint8_t>(address), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (auto b : bytes)
        sum += b;
    bytes.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF) + checksumError));
    std::string line = ":";
    char digits[3];
    for (auto b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
    }
    return line + "\r\n";
}

const std::string kEnd = record(0, 1, {});

Bytes read(const std::string& text) {
    const auto image = readIspHex(text, kLimit);
    EXPECT_FALSE(image.tooLarge);
    return image.bytes;
}

// Nothing of the file may be dropped unseen: records after a start address
// are read, and anything after the end record or an unknown type refuses
// the file.
TEST(IspHex, EndsAtTheEndRecordAndDropsNothing) {
    const std::string first = record(0, 0, {1, 2});
    const std::string second = record(4, 0, {3, 4});
    const std::string third = record(6, 0, {5, 6});
    EXPECT_EQ(read(first + second + third + kEnd), (Bytes{1, 2, 0xFF, 0xFF, 3, 4, 5, 6}));
    EXPECT_EQ(read(first + kEnd + "\r\n \n\x1A"), (Bytes{1, 2})) << "blank lines after the end";
    EXPECT_EQ(read(first + record(0, 3, {0, 0, 0, 0}) + second + record(0, 5, {0, 0, 0, 0}) + kEnd),
              (Bytes{1, 2, 0xFF, 0xFF, 3, 4}))
        << "start address records";
    for (const std::string& text : {first + kEnd + second, first + record(0, 6, {}) + second + kEnd}) {
        SCOPED_TRACE(text);
        const IspHexImage image = readIspHex(text, kLimit);
        EXPECT_TRUE(image.damaged);
        EXPECT_TRUE(image.bytes.empty());
    }
}

// A boot loader cut short at a damaged line would be inserted as if whole.
TEST(IspHex, ADamagedRecordRefusesTheWholeFile) {
    const std::string first = record(0, 0, {1, 2});
    const std::string second = record(4, 0, {3, 4});
    std::string odd = second;
    odd.erase(5, 1);
    for (const std::string& damaged :
         {record(6, 0, {5, 6}, 1), odd, std::string(":0400040003FB\n"), std::string(":00\n")}) {
        SCOPED_TRACE(damaged);
        const IspHexImage image = readIspHex(first + damaged + second + kEnd, kLimit);
        EXPECT_TRUE(image.damaged);
        EXPECT_TRUE(image.bytes.empty());
    }
}

TEST(IspHex, EndOfFileOnlyIsAnEmptyImage) { EXPECT_TRUE(read(kEnd).empty()); }

TEST(IspHex, ReadsBlankLinesLowerCaseAndBareCarriageReturnsButNoForeignLine) {
    EXPECT_EQ(read(" \n\n\r\n\t:02000000abcd86  \r:00000001ff"), (Bytes{0xAB, 0xCD}));
    // A record whose ':' was lost would leave a hole in the boot loader.
    for (const std::string& foreign : {std::string("; comment\n"), record(2, 0, {3}).substr(1)}) {
        SCOPED_TRACE(foreign);
        const IspHexImage image = readIspHex(record(0, 0, {1, 2}) + foreign + kEnd, kLimit);
        EXPECT_TRUE(image.damaged);
        EXPECT_TRUE(image.bytes.empty());
    }
}

TEST(IspHex, ExtendedAddresses) {
    // Segment 0x0100: base 0x1000; the gap below stays erased.
    auto image = read(record(0, 2, {0x01, 0x00}) + record(0, 0, {0xAA}));
    ASSERT_EQ(image.size(), 0x1001u);
    EXPECT_EQ(image[0xFFF], 0xFF);
    EXPECT_EQ(image[0x1000], 0xAA);

    // Malformed address records are ignored.
    EXPECT_EQ(read(record(0, 4, {0, 1, 0}) + record(0, 0, {0xAA})), (Bytes{0xAA}));
    EXPECT_EQ(read(record(2, 4, {0, 1}) + record(0, 0, {0xAA})), (Bytes{0xAA}));

    // Data beyond the limit is refused, however far away, without building
    // an image of that size.
    const auto far = readIspHex(record(0, 4, {0xFF, 0xFF}) + record(0xFFFF, 0, {0xAA}), kLimit);
    EXPECT_TRUE(far.tooLarge);
    EXPECT_TRUE(far.bytes.empty());
    EXPECT_TRUE(readIspHex(record(0xFFFF, 0, {1, 2}), kLimit).tooLarge)
        << "a record crossing the limit";
    EXPECT_EQ(readIspHex(record(0xFFFE, 0, {1, 2}), kLimit).bytes.size(), kLimit);
}

} // namespace
} // namespace scriba8
