// SPDX-License-Identifier: MIT
// The built-in chip table. Rows are generated at build time from chips.json;
// the row number is the chip index the application stores and sends back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace scriba8 {

inline constexpr int kItemSlots = 6;
inline constexpr int kBitSlots = 14;

// Upper bound on the table's rows (the generator refuses more), so that what
// is built per row, such as the exported BodyInfo array, can live in static
// storage.
inline constexpr std::size_t kMaxChipRows = 256;

// A multi-value option. bitMap is "NA" for a contiguous field under mask,
// or "index|mask,..." pairs scattering the field's bits.
struct ItemDescriptor {
    const char* name;
    std::uint8_t byteIndex;
    std::uint8_t mask;
    std::int32_t bias;
    const char* bitMap;
    const char* choices;
};

// A single-bit option; active when its bit is 0.
struct BitDescriptor {
    const char* name;
    std::uint8_t byteIndex;
    std::uint8_t mask;
    std::uint32_t linkedItem;
    const char* description; // English, NUL, Chinese, NUL
};

struct ChipRecord {
    const char* partName;
    std::uint32_t seriesMask;
    std::uint8_t chipId[2]; // product byte, family byte
    std::uint16_t partCode;
    std::uint16_t familyCode;
    std::uint8_t targetParams[4];
    std::uint32_t algorithm;
    std::uint32_t flashSize;
    std::uint16_t flashPageSize;
    std::uint32_t eepromSize;
    std::uint16_t eepromPageSize;
    std::uint16_t ispResourceId;
    std::uint32_t customerStringSupported;
    std::uint32_t chipChecksumSupported;
    std::uint32_t optionByteCount;
    const char* defaultOptions;
    ItemDescriptor items[kItemSlots];
    BitDescriptor bits[kBitSlots];

    std::uint8_t productByte() const { return chipId[0]; }
    std::uint8_t familyByte() const { return chipId[1]; }
};

// Every row, in chip-index order.
std::span<const ChipRecord> chipTable();

// The row for a chip index, or null when the index is outside the table.
const ChipRecord* chipAt(std::int32_t index);

} // namespace scriba8
