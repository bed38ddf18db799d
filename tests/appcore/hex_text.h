// SPDX-License-Identifier: MIT
// Building Intel HEX text for the tests and the benchmark.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace scriba8::test {

// One record line with a correct checksum, CR LF terminated.
inline std::string HexRecord(std::uint8_t type, std::uint16_t address,
                             const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                    static_cast<std::uint8_t>(address >> 8),
                                    static_cast<std::uint8_t>(address), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
    bytes.push_back(static_cast<std::uint8_t>(0x100 - sum));
    std::string line = ":";
    char digits[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
    }
    return line + "\r\n";
}

inline std::string DataRecord(std::uint16_t address, const std::vector<std::uint8_t>& data) {
    return HexRecord(0, address, data);
}
inline std::string SegmentRecord(std::uint16_t segment) {
    return HexRecord(2, 0, {static_cast<std::uint8_t>(segment >> 8),
                            static_cast<std::uint8_t>(segment)});
}
inline std::string LinearRecord(std::uint16_t upper) {
    return HexRecord(4, 0, {static_cast<std::uint8_t>(upper >> 8),
                            static_cast<std::uint8_t>(upper)});
}
inline std::string EndRecord() { return ":00000001FF\r\n"; }

inline std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 0) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

// A well-formed file of non-overlapping data records with gaps, addressed
// through extended linear records (or segment records when useSegments is
// set), and the image it describes (from its lowest address, gaps 0xFF).
struct GeneratedHex {
    std::string text;
    std::vector<std::uint8_t> image;
    std::uint64_t lowestAddress = 0;
};

inline GeneratedHex GenerateHex(std::uint32_t seed, std::size_t imageSize, bool useSegments) {
    std::mt19937 random(seed);
    auto pick = [&](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    };
    GeneratedHex out;
    // Segment addressing reaches 1 MiB; linear addressing starts anywhere.
    std::uint64_t address = useSegments ? pick(0, 0x3FFF) : pick(0, 0x7FFFF) * 16ull;
    bool first = true;
    std::uint64_t upper = ~0ull;
    std::vector<std::uint8_t> image;
    while (image.size() < imageSize) {
        const std::uint32_t length = pick(1, 32);
        std::vector<std::uint8_t> data(length);
        for (auto& b : data) b = static_cast<std::uint8_t>(pick(0, 255));
        // Each record lies inside the 64 KiB window of its base.
        if (!useSegments && (address & 0xFFFF) + length > 0x10000) address = (address | 0xFFFF) + 1;
        if (upper == ~0ull || address < upper || address - upper + length > 0x10000) {
            upper = useSegments ? address & ~0xFull : address & ~0xFFFFull;
            out.text += useSegments ? SegmentRecord(static_cast<std::uint16_t>(upper >> 4))
                                    : LinearRecord(static_cast<std::uint16_t>(upper >> 16));
        }
        const std::uint64_t base = upper;
        if (first) out.lowestAddress = address;
        first = false;
        out.text += DataRecord(static_cast<std::uint16_t>(address - base), data);
        image.resize(address - out.lowestAddress, 0xFF);
        image.insert(image.end(), data.begin(), data.end());
        address += length;
        if (pick(0, 9) == 0) address += pick(1, 300); // a gap
        if (useSegments && address >= 0xF0000) break;
    }
    if (pick(0, 1) == 0) out.text += HexRecord(5, 0, {0, 0, 0x10, 0});
    out.text += EndRecord();
    out.image = std::move(image);
    return out;
}

} // namespace scriba8::test
