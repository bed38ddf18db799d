// SPDX-License-Identifier: MIT
#include "intel_hex.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace scriba8::app {
namespace {

// A digit's value, or a mark for line ends and for everything else, so the
// decoder classifies each character in one lookup.
constexpr std::uint8_t kLineEnd = 0x80;
constexpr std::uint8_t kNotDigit = 0x40;

constexpr std::array<std::uint8_t, 256> makeDigitTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c) table[c] = kNotDigit;
    for (unsigned c = '0'; c <= '9'; ++c) table[c] = static_cast<std::uint8_t>(c - '0');
    for (unsigned c = 'A'; c <= 'F'; ++c) table[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    for (unsigned c = 'a'; c <= 'f'; ++c) table[c] = static_cast<std::uint8_t>(c - 'a' + 10);
    table['\r'] = kLineEnd;
    table['\n'] = kLineEnd;
    return table;
}
constexpr auto kDigit = makeDigitTable();

std::uint8_t digitOf(char c) { return kDigit[static_cast<unsigned char>(c)]; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Length, two address bytes, type, up to 255 data bytes, checksum.
constexpr std::size_t kMaxRecordBytes = 4 + 255 + 1;

struct DecodedLine {
    std::size_t count = 0; // bytes decoded; more than kMaxRecordBytes are counted, not kept
    std::uint8_t sum = 0;
    HexFault fault = HexFault::none;
};

// Trailing blanks are tolerated: editors leave them behind.
bool onlyBlanksToLineEnd(const char* p, const char* end) {
    while (p != end && isBlank(*p)) ++p;
    return p == end || isLineEnd(*p);
}

// Decodes digit pairs from p up to the line end; leaves p on the line end.
DecodedLine decodeLine(const char*& p, const char* end, std::uint8_t* kept) {
    DecodedLine line;
    while (p != end) {
        const std::uint8_t high = digitOf(p[0]);
        if ((high & kLineEnd) != 0) return line;
        const std::uint8_t low = end - p >= 2 ? digitOf(p[1]) : kLineEnd;
        if (((high | low) & kNotDigit) != 0) {
            const char* bad = (high & kNotDigit) != 0 ? p : p + 1;
            const char* lineEnd = bad;
            while (lineEnd != end && !isLineEnd(*lineEnd)) ++lineEnd;
            if (std::memchr(bad, '\0', static_cast<std::size_t>(lineEnd - bad)) != nullptr) {
                line.fault = HexFault::nulByte;
            } else if (!onlyBlanksToLineEnd(bad, end)) {
                line.fault = HexFault::notHex;
            } else if (bad != p) {
                line.fault = HexFault::oddDigits;
            }
            while (p != end && !isLineEnd(*p)) ++p;
            return line;
        }
        if ((low & kLineEnd) != 0) {
            line.fault = HexFault::oddDigits;
            ++p;
            return line;
        }
        const auto byte = static_cast<std::uint8_t>((high << 4) | low);
        line.sum = static_cast<std::uint8_t>(line.sum + byte);
        if (line.count < kMaxRecordBytes) kept[line.count] = byte;
        ++line.count;
        p += 2;
    }
    return line;
}

struct ScanResult {
    HexFault fault = HexFault::none;
    std::size_t line = 0;
};

// Old DOS tools end a text file with Ctrl-Z.
constexpr char kDosEndOfFile = '\x1A';

// Skips blanks; true when the rest of the line is empty.
bool blankToLineEnd(const char*& p, const char* end) {
    while (p != end && isBlank(*p)) ++p;
    return p == end || isLineEnd(*p);
}

// Moves p past one line end, counting lines: CR LF is one line end, as are
// a lone CR and a lone LF.
void passLineEnd(const char*& p, const char* end, std::size_t& lineNumber) {
    if (*p == '\r' && p + 1 != end && p[1] == '\n') ++p;
    ++p;
    ++lineNumber;
}

// After the end-of-file record only blank lines (and a final Ctrl-Z) may
// follow: a second file appended to the first must not vanish unseen.
ScanResult checkAfterEnd(const char* p, const char* end, std::size_t lineNumber) {
    while (p != end) {
        if (isLineEnd(*p)) {
            passLineEnd(p, end, lineNumber);
            continue;
        }
        if (isBlank(*p) || (*p == kDosEndOfFile && p + 1 == end)) {
            ++p;
            continue;
        }
        return {*p == '\0' ? HexFault::nulByte : HexFault::afterEnd, lineNumber};
    }
    return {};
}

// Runs over the records in file order up to the end-of-file record and hands
// each data record to onData (absolute address, bytes, length). The first
// damaged or foreign line ends the scan with its fault.
template <typename OnData>
ScanResult scanRecords(const char* p, const char* end, OnData&& onData) {
    std::uint64_t base = 0;
    std::uint8_t kept[kMaxRecordBytes];
    std::size_t lineNumber = 1;
    while (p != end) {
        if (blankToLineEnd(p, end)) {
            if (p != end) passLineEnd(p, end, lineNumber);
            continue;
        }
        if (*p == '\0') return {HexFault::nulByte, lineNumber};
        if (*p != ':') return {HexFault::notARecord, lineNumber};
        ++p;
        const DecodedLine line = decodeLine(p, end, kept);
        if (line.fault != HexFault::none) return {line.fault, lineNumber};
        if (line.count < 5 || line.count != kept[0] + 5u)
            return {HexFault::lengthMismatch, lineNumber};
        if (line.sum != 0) return {HexFault::checksum, lineNumber};
        const unsigned length = kept[0];
        const unsigned address = static_cast<unsigned>(kept[1]) << 8 | kept[2];
        const auto value = static_cast<std::uint64_t>(kept[4]) << 8 | kept[5];
        switch (kept[3]) {
        case 0:
            onData(base + address, kept + 4, length);
            break;
        case 1:
            return checkAfterEnd(p, end, lineNumber);
        case 2:
            if (length == 2 && address == 0) base = value << 4;
            break;
        case 4:
            if (length == 2 && address == 0) base = value << 16;
            break;
        case 3:
        case 5:
            break;
        default:
            return {HexFault::unknownType, lineNumber};
        }
    }
    return {HexFault::noEndRecord, 0};
}

} // namespace

HexParseResult ParseIntelHex(std::string_view text, std::uint64_t sizeLimit) {
    const char* begin = text.data();
    const char* end = begin + text.size();

    std::uint64_t lowest = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t highest = 0;
    bool anyData = false;
    const ScanResult scan =
        scanRecords(begin, end, [&](std::uint64_t address, const std::uint8_t*, unsigned length) {
            if (length == 0) return;
            anyData = true;
            lowest = std::min(lowest, address);
            highest = std::max(highest, address + length);
        });

    HexParseResult result;
    if (scan.fault != HexFault::none) {
        result.fault = scan.fault;
        result.faultLine = scan.line;
        return result;
    }
    if (!anyData) {
        result.fault = HexFault::noData;
        return result;
    }
    result.lowestAddress = lowest;
    result.span = highest - lowest;
    if (result.span > sizeLimit) {
        result.fits = false;
        return result;
    }

    const auto size = static_cast<std::size_t>(result.span);
    result.image.assign(size, 0xFF);
    // One mark per byte already set by a record, to find records that
    // overwrite each other with different contents.
    std::vector<bool> written(size, false);
    std::uint8_t* image = result.image.data();
    scanRecords(begin, end, [&](std::uint64_t address, const std::uint8_t* data, unsigned length) {
        const auto offset = static_cast<std::size_t>(address - lowest);
        for (unsigned i = 0; i < length; ++i) {
            const std::size_t at = offset + i;
            if (written[at] && image[at] != data[i]) {
                if (!result.firstOverlap) result.firstOverlap = lowest + at;
                ++result.overlappingBytes;
            }
            written[at] = true;
        }
        std::memcpy(image + offset, data, length);
    });
    return result;
}

} // namespace scriba8::app
