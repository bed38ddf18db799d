// SPDX-License-Identifier: MIT
#include "hex_text.h"
#include "intel_hex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace scriba8::app {
namespace {

using test::Bytes;
using test::DataRecord;
using test::EndRecord;
using test::HexRecord;
using test::LinearRecord;
using test::SegmentRecord;

constexpr std::uint64_t kNoLimit = 1 << 24;

// The image of a sound file; the end-of-file record is added here.
std::vector<std::uint8_t> Image(const std::string& records, std::uint64_t limit = kNoLimit) {
    HexParseResult result = ParseIntelHex(records + EndRecord(), limit);
    EXPECT_TRUE(result.ok()) << static_cast<int>(result.fault) << " at line " << result.faultLine;
    EXPECT_EQ(result.span, result.image.size());
    return result.image;
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(IntelHex, ImageStartsAtTheLowestAddress) {
    HexParseResult result = ParseIntelHex(DataRecord(0x1000, Bytes(16)) + EndRecord(), kNoLimit);
    EXPECT_EQ(result.lowestAddress, 0x1000u);
    EXPECT_EQ(result.image, Bytes(16));
}

TEST(IntelHex, AddressRecordsMoveTheBaseAndGapsAreErased) {
    // Segment 0x0100 puts the second record at 0x1000.
    std::vector<std::uint8_t> image = Image(DataRecord(0, Bytes(16)) + SegmentRecord(0x0100) +
                                            DataRecord(0, Bytes(16, 0x40)));
    ASSERT_EQ(image.size(), 0x1010u);
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin(), image.begin() + 16), Bytes(16));
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 0x1000, image.end()), Bytes(16, 0x40));
    EXPECT_EQ(std::count(image.begin() + 16, image.begin() + 0x1000, 0xFF), 0x1000 - 16);

    // A linear record sets the upper 16 bits; addresses are absolute.
    HexParseResult linear = ParseIntelHex(LinearRecord(0x0002) + DataRecord(0x0010, Bytes(4)) +
                                              LinearRecord(0x0001) + DataRecord(0xFFFE, Bytes(2, 9)) +
                                              EndRecord(),
                                          kNoLimit);
    EXPECT_EQ(linear.lowestAddress, 0x1FFFEu);
    EXPECT_EQ(linear.image, Concat(Concat(Bytes(2, 9), std::vector<std::uint8_t>(0x10, 0xFF)),
                                   Bytes(4)));
}

TEST(IntelHex, LaterRecordsOverwriteEarlierOnes) {
    EXPECT_EQ(Image(DataRecord(0, Bytes(8)) + DataRecord(2, {0xAA, 0xBB})),
              (std::vector<std::uint8_t>{0, 1, 0xAA, 0xBB, 4, 5, 6, 7}));
}

TEST(IntelHex, LineEndsDigitCaseBlankLinesAndBlanksAroundRecords) {
    const std::string lf = ":0400000001020304F2\n";
    const std::string lower = "\t :04000400deadbeefC0  \r"; // blanks around it are harmless
    EXPECT_EQ(Image("\r\n  \r\n\n" + lf + "\n\r\r" + lower),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 0xDE, 0xAD, 0xBE, 0xEF}));
}

// A line that is not a record was once skipped: a record whose ':' was lost
// vanished from the image, and the chip was programmed without it.
TEST(IntelHex, EveryLineThatIsNotBlankMustBeARecord) {
    const std::string first = DataRecord(0, Bytes(16));
    const std::string second = DataRecord(16, Bytes(16, 16));
    for (const std::string& foreign :
         {second.substr(1), std::string("; comment\r\n"), std::string("junk\n"), std::string("x")}) {
        SCOPED_TRACE(foreign);
        const HexParseResult result = ParseIntelHex(first + "\r\n" + foreign + EndRecord(), kNoLimit);
        EXPECT_EQ(result.fault, HexFault::notARecord);
        EXPECT_EQ(result.faultLine, 3u);
        EXPECT_TRUE(result.image.empty());
    }
}

// cat a.hex b.hex: b was silently dropped.
TEST(IntelHex, OnlyBlankLinesMayFollowTheEndOfFileRecord) {
    const std::string a = DataRecord(0, Bytes(2)) + EndRecord();
    const std::string b = DataRecord(0x100, Bytes(2)) + EndRecord();
    const HexParseResult joined = ParseIntelHex(a + b, kNoLimit);
    EXPECT_EQ(joined.fault, HexFault::afterEnd);
    EXPECT_EQ(joined.faultLine, 3u);
    EXPECT_EQ(ParseIntelHex(a + "\r\n  \n garbage", kNoLimit).faultLine, 5u);
    EXPECT_EQ(ParseIntelHex(a + "\r\n \t\r\n\n", kNoLimit).image, Bytes(2));
    // A DOS end-of-file mark at the very end is not content.
    EXPECT_EQ(ParseIntelHex(a + "\x1A", kNoLimit).image, Bytes(2));
    EXPECT_EQ(ParseIntelHex(a + "\x1A\r\n", kNoLimit).fault, HexFault::afterEnd);
}

TEST(IntelHex, AddressRecordsAreUsedOnlyInTheirStrictForm) {
    // Length other than 2 or a non-zero address field: the record is ignored.
    const std::string oddSegment = HexRecord(2, 0, {0x01, 0x00, 0x00});
    const std::string addressedLinear = HexRecord(4, 0x0001, {0x00, 0x01});
    EXPECT_EQ(ParseIntelHex(oddSegment + addressedLinear + DataRecord(0x20, Bytes(1)) + EndRecord(),
                            kNoLimit)
                  .lowestAddress,
              0x20u);
}

TEST(IntelHex, StartAddressRecordsAreIgnored) {
    EXPECT_EQ(Image(HexRecord(3, 0, {0, 0, 0x12, 0x34}) + DataRecord(0, Bytes(2)) +
                    HexRecord(5, 0, {0, 0, 0x10, 0}) + DataRecord(2, Bytes(2, 2))),
              Bytes(4));
}

// A damaged line refuses the whole file, naming the line and the fault.
TEST(IntelHex, DamagedLinesRefuseTheFileWithTheirLineNumber) {
    const std::string before = "  \r\n" + DataRecord(0, Bytes(4)); // lines 1 and 2
    const std::string after = DataRecord(0x100, Bytes(4)) + EndRecord();
    std::string badChecksum = DataRecord(4, Bytes(4));
    badChecksum[badChecksum.size() - 3] ^= 1;
    struct Case {
        std::string line;
        HexFault fault;
    };
    const Case cases[] = {
        {badChecksum, HexFault::checksum},
        {HexRecord(6, 0, {}), HexFault::unknownType},
        {":0400080001020304E\r\n", HexFault::oddDigits},
        {":00000000\r\n", HexFault::lengthMismatch},             // fewer than five bytes
        {":100010000102030405D1\r\n", HexFault::lengthMismatch}, // fewer than the length byte says
        {":0100100001020304E4\r\n", HexFault::lengthMismatch},   // more than it says
        {":\r\n", HexFault::lengthMismatch},
        {":04000800010G0304E9\r\n", HexFault::notHex},
        {":0400 080001020304E9\r\n", HexFault::notHex},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const HexParseResult result = ParseIntelHex(before + c.line + after, kNoLimit);
        EXPECT_EQ(result.fault, c.fault);
        EXPECT_EQ(result.faultLine, 3u);
        EXPECT_TRUE(result.image.empty());
        EXPECT_FALSE(result.ok());
    }
    // Lone CR and lone LF end lines as CR LF does.
    const std::string bad = badChecksum.substr(0, badChecksum.size() - 2);
    EXPECT_EQ(ParseIntelHex(" \r\t\n \r\n\n" + bad, kNoLimit).faultLine, 5u);
}

TEST(IntelHex, FilesWithoutEndRecordOrDataAreRefused) {
    const HexParseResult noEnd = ParseIntelHex(DataRecord(0, Bytes(4)), kNoLimit);
    EXPECT_EQ(noEnd.fault, HexFault::noEndRecord);
    EXPECT_EQ(noEnd.faultLine, 0u);
    EXPECT_EQ(ParseIntelHex("", kNoLimit).fault, HexFault::noEndRecord);
    for (std::string text : {EndRecord(), LinearRecord(0x10) + EndRecord(),
                             DataRecord(0, {}) + EndRecord(), "\n\n" + EndRecord()}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseIntelHex(text, kNoLimit).fault, HexFault::noData);
    }
}

TEST(IntelHex, OverlapsWithDifferentBytesAreReported) {
    HexParseResult differing = ParseIntelHex(
        LinearRecord(1) + DataRecord(0, Bytes(8)) + DataRecord(2, {0xAA, 3, 0xBB}) + EndRecord(),
        kNoLimit);
    ASSERT_TRUE(differing.ok());
    EXPECT_EQ(differing.firstOverlap, std::optional<std::uint64_t>(0x10002));
    EXPECT_EQ(differing.overlappingBytes, 2u); // the byte written again unchanged does not count
    const HexParseResult same =
        ParseIntelHex(DataRecord(0, Bytes(8)) + DataRecord(2, {2, 3}) + EndRecord(), kNoLimit);
    EXPECT_FALSE(same.firstOverlap.has_value());
}

// A NUL once ended the text: the rest of the file was never read, and a NUL
// inside a record was called an odd number of digits.
TEST(IntelHex, ANulByteIsNamedWhereverItIs) {
    const std::string nul(1, '\0');
    const std::string data = DataRecord(0, Bytes(2)); // line 1
    const std::string record = DataRecord(2, Bytes(2));
    const std::string cases[] = {
        data + nul + EndRecord(),                                       // a line of its own
        data + record.substr(0, 5) + nul + record.substr(5) + EndRecord(), // inside a record
        data + record.substr(0, record.size() - 2) + " " + nul + "\r\n" + EndRecord(), // after one
        data + EndRecord() + nul,                                       // after the end
    };
    const std::size_t lines[] = {2, 2, 2, 3};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const HexParseResult result = ParseIntelHex(cases[i], kNoLimit);
        EXPECT_EQ(result.fault, HexFault::nulByte);
        EXPECT_EQ(result.faultLine, lines[i]);
    }
}

// Parses from an exactly sized heap copy, so a read past the end is caught.
HexParseResult ParseExact(const std::string& text) {
    auto copy = std::make_unique<char[]>(text.size());
    std::memcpy(copy.get(), text.data(), text.size());
    return ParseIntelHex({copy.get(), text.size()}, kNoLimit);
}

TEST(IntelHex, TruncatedLastLineIsNeverReadPastTheText) {
    for (std::string text : {std::string(":0400000001020304"), std::string(":040000000102030"),
                             std::string(":1"), std::string(":")}) {
        SCOPED_TRACE(text);
        const HexParseResult result = ParseExact(text);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.image.empty());
    }
    const std::string end = EndRecord();
    const std::string unterminated = DataRecord(0, Bytes(3)) + end.substr(0, end.size() - 2);
    EXPECT_EQ(ParseExact(unterminated).image, Bytes(3));
}

TEST(IntelHex, SpanIsCheckedAgainstTheLimitBeforeAllocating) {
    const std::string text = DataRecord(0, Bytes(16)) + DataRecord(0x1F0, Bytes(16)) + EndRecord();
    EXPECT_TRUE(ParseIntelHex(text, 0x200).fits);
    HexParseResult over = ParseIntelHex(text, 0x1FF);
    EXPECT_FALSE(over.fits);
    EXPECT_EQ(over.span, 0x200u);
    EXPECT_TRUE(over.image.empty());

    // Record at 0 and at the top of the 32-bit space: the span needs 33 bits.
    HexParseResult wide = ParseIntelHex(
        DataRecord(0, Bytes(1)) + LinearRecord(0xFFFF) + DataRecord(0xFFFF, Bytes(1)) + EndRecord(),
        0x10000);
    EXPECT_FALSE(wide.fits);
    EXPECT_EQ(wide.span, 0x1'0000'0000u);
    // Segment bases reach beyond 1 MiB with a full offset.
    EXPECT_EQ(ParseIntelHex(SegmentRecord(0xFFFF) + DataRecord(0xFFFF, Bytes(2)) + EndRecord(),
                            kNoLimit)
                  .lowestAddress,
              0xFFFF0u + 0xFFFF);
}

} // namespace
} // namespace scriba8::app
