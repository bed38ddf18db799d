// SPDX-License-Identifier: MIT
#include "project/isp_hex.h"

#include <algorithm>
#include <cstddef>

namespace scriba8 {
namespace {

constexpr std::uint64_t kSegment = 0x10000;

enum RecordType : std::uint8_t {
    Data = 0,
    EndOfFile = 1,
    ExtendedSegment = 2,
    StartSegment = 3,
    ExtendedLinear = 4,
    StartLinear = 5
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && isBlank(line.back())) line.remove_suffix(1);
    return line;
}

// Nothing but blank lines (and a final DOS Ctrl-Z) after the end record: a
// second file appended to the first must not vanish unseen.
bool onlyBlankAfter(std::string_view rest) {
    if (!rest.empty() && rest.back() == '\x1A') rest.remove_suffix(1);
    return rest.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Any character reads as a digit this way; the checksum catches strays.
std::uint8_t digitValue(char c) {
    const auto u = static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>((u & 0x0F) + ((u & 0x40) != 0 ? 9 : 0));
}

// The bytes of one line after its ":"; empty when the digits are odd.
std::vector<std::uint8_t> decodeDigits(std::string_view digits) {
    std::vector<std::uint8_t> bytes;
    if (digits.size() % 2 != 0) return bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(digitValue(digits[i]) << 4 | digitValue(digits[i + 1])));
    }
    return bytes;
}

// True when the line is whole: count, address, type, data and checksum
// present, and the bytes summing to zero.
bool recordIsSound(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 5 || bytes.size() < std::size_t{5} + bytes[0]) return false;
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    return (sum & 0xFF) == 0;
}

} // namespace

IspHexImage readIspHex(std::string_view text, std::uint64_t limit) {
    IspHexImage image;
    std::uint64_t base = 0;
    // Its size is the highest data end so far; it never grows past limit.
    std::vector<std::uint8_t>& bytes = image.bytes;
    auto unwritten = [](std::uint64_t offset) -> std::uint8_t {
        return offset < kSegment ? 0xFF : 0x00;
    };

    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::string_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        // A record whose ':' was lost would leave a hole in the boot loader.
        if (line.front() != ':') {
            image.damaged = true;
            bytes.clear();
            return image;
        }

        const auto record = decodeDigits(line.substr(1));
        if (!recordIsSound(record)) {
            image.damaged = true;
            bytes.clear();
            return image;
        }
        const std::uint8_t count = record[0];
        const std::uint64_t address = std::uint64_t{record[1]} << 8 | record[2];
        const std::uint8_t type = record[3];
        const std::uint8_t* data = record.data() + 4;

        if (type == Data) {
            const std::uint64_t start = base + address;
            const std::uint64_t stop = start + count;
            if (stop > limit) {
                image.tooLarge = true;
                bytes.clear();
                return image;
            }
            if (stop > bytes.size()) {
                const std::size_t old = bytes.size();
                bytes.resize(stop);
                for (std::size_t i = old; i < bytes.size(); ++i)
                    bytes[i] = unwritten(i);
            }
            std::copy_n(data, count, bytes.begin() + static_cast<std::ptrdiff_t>(start));
        } else if (type == ExtendedSegment || type == ExtendedLinear) {
            if (count == 2 && address == 0) {
                const std::uint64_t value = std::uint64_t{data[0]} << 8 | data[1];
                base = type == ExtendedSegment ? value * 16 : value * kSegment;
            }
        } else if (type == StartSegment || type == StartLinear) {
            // A start address means nothing to a boot loader at a fixed place;
            // stopping here would drop the records that follow.
        } else if (type == EndOfFile && onlyBlankAfter(text.substr(std::min(pos, text.size())))) {
            return image;
        } else {
            image.damaged = true; // an unknown type, or more after the end
            bytes.clear();
            return image;
        }
    }
    return image;
}

} // namespace scriba8
