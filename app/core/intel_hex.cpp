#include "intel_hex.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace scriba8::app {
namespace {

// A digit's value is its low four bits, plus 9 for letters (bit 0x40), so
// '0'-'9', 'A'-'F' and 'a'-'f' decode as usual and other characters are not
// rejected. Line ends are marked so the decoder finds them in the same lookup.
constexpr std::uint8_t kLineEnd = 0x80;

constexpr std::array<std::uint8_t, 256> makeDigitTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c)
        table[c] = static_cast<std::uint8_t>((c & 0x0F) + ((c & 0x40) != 0 ? 9 : 0));
    table['\r'] = kLineEnd;
    table['\n'] = kLineEnd;
    return table;
}
constexpr auto kDigit = makeDigitTable();

std::uint8_t digitOf(char c) { return kDigit[static_cast<unsigned char>(c)]; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// Length, two address bytes, type, up to 255 data bytes, checksum. Bytes
// beyond these still count in the line's sum but are not kept.
constexpr std::size_t kKeptBytes = 4 + 255 + 1;

struct DecodedLine {
    std::size_t count = 0; // bytes decoded, kept or not
    std::uint8_t sum = 0;
    bool oddDigits = false;
};

// Decodes digit pairs from p up to the line end; leaves p on the line end.
DecodedLine decodeLine(const char*& p, const char* end, std::uint8_t* kept) {
    DecodedLine line;
    while (end - p >= 2) {
        std::uint8_t high = digitOf(p[0]);
        std::uint8_t low = digitOf(p[1]);
        if (((high | low) & kLineEnd) != 0) {
            if ((high & kLineEnd) == 0) {
                line.oddDigits = true;
                ++p;
            }
            return line;
        }
        auto byte = static_cast<std::uint8_t>((high << 4) + low);
        line.sum = static_cast<std::uint8_t>(line.sum + byte);
        if (line.count < kKeptBytes) kept[line.count] = byte;
        ++line.count;
        p += 2;
    }
    if (p != end && !isLineEnd(*p)) {
        line.oddDigits = true;
        ++p;
    }
    return line;
}

// Runs over the records in file order and hands each data record to onData
// (absolute address, bytes, length). Both passes use it, so they stop at the
// same line.
template <typename OnData>
void scanRecords(const char* p, const char* end, OnData&& onData) {
    std::uint64_t base = 0;
    std::uint8_t kept[kKeptBytes];
    while (p != end) {
        if (isLineEnd(*p)) {
            ++p;
            continue;
        }
        if (*p != ':') {
            while (p != end && !isLineEnd(*p)) ++p;
            continue;
        }
        ++p;
        DecodedLine line = decodeLine(p, end, kept);
        if (line.oddDigits || line.count < 5 || line.sum != 0) return;
        const unsigned length = kept[0];
        if (line.count < length + 5u) return;
        const unsigned address = static_cast<unsigned>(kept[1]) << 8 | kept[2];
        const auto value = static_cast<std::uint64_t>(kept[4]) << 8 | kept[5];
        switch (kept[3]) {
        case 0:
            onData(base + address, kept + 4, length);
            break;
        case 1:
            return;
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
            return;
        }
    }
}

} // namespace

HexParseResult ParseIntelHex(std::string_view text, std::uint64_t sizeLimit) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (const void* nul = std::memchr(begin, '\0', text.size()))
        end = static_cast<const char*>(nul);

    std::uint64_t lowest = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t highest = 0;
    bool anyData = false;
    scanRecords(begin, end, [&](std::uint64_t address, const std::uint8_t*, unsigned length) {
        anyData = true;
        lowest = std::min(lowest, address);
        highest = std::max(highest, address + length);
    });

    HexParseResult result;
    if (!anyData) return result;
    result.lowestAddress = lowest;
    result.span = highest - lowest;
    if (result.span > sizeLimit) {
        result.fits = false;
        return result;
    }

    result.image.assign(static_cast<std::size_t>(result.span), 0xFF);
    std::uint8_t* image = result.image.data();
    const std::uint64_t size = result.span;
    scanRecords(begin, end, [&](std::uint64_t address, const std::uint8_t* data, unsigned length) {
        const std::uint64_t offset = address - lowest;
        if (length != 0 && offset + length <= size) std::memcpy(image + offset, data, length);
    });
    return result;
}

} // namespace scriba8::app
