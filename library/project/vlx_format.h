// SPDX-License-Identifier: MIT
// The project file (.vlx) footer: its fields, and conversion between those
// fields and footer bytes. No file access and no context record here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace scriba8::vlx {

inline constexpr std::uint8_t kToolMarker = 0x11;
inline constexpr std::uint8_t kSiblingToolMarker = 5;
// Project tag, save time, family code, version, marker, checksum, size.
inline constexpr std::size_t kTrailerSize = 17;
inline constexpr std::size_t kMaxTextBytes = 255;
inline constexpr std::size_t kMaxOptionBlockBytes = 255;

// Extended option blocks carry these fields, counted back from their end.
inline constexpr std::size_t kExtendedBlockMinimum = 48;
inline constexpr std::size_t kCustomerStringFromEnd = 48;
inline constexpr std::size_t kProjectIdFromEnd = 16;
inline constexpr std::size_t kBlockMarkerFromEnd = 12;
inline constexpr std::uint8_t kBlockMarker = 5;

// What a family code implies for the footer.
struct Layout {
    std::string_view identifier;
    bool eepromFields;
    std::size_t firstReservedSize;
    bool trimSection;   // trim byte and 24 reserved bytes
    bool extendedBlock; // customer string, project id and marker in the option block
    std::uint8_t layoutFlag;
    std::size_t fixedSize; // footer size with empty names and option block
};

// The layout for a family code; nothing for codes no tool writes.
std::optional<Layout> layoutFor(std::uint16_t familyCode);

// Option block size a save uses for a chip (before any checksum extension);
// nothing for a family code that cannot be saved.
std::optional<std::size_t> optionBlockSize(std::uint16_t familyCode, std::uint32_t optionByteCount);

struct Footer {
    std::uint16_t familyCode = 0;
    std::string codeFileName; // legacy code page bytes
    std::uint32_t flashLength = 0;
    std::uint16_t flashChecksum = 0;
    std::uint32_t eepromLength = 0;   // layouts with EEPROM fields only
    std::uint16_t eepromChecksum = 0; // layouts with EEPROM fields only
    std::uint16_t partCode = 0;
    std::vector<std::uint8_t> optionBlock;
    std::uint8_t autoSteps = 0;
    std::uint8_t ispCodeSource = 0;
    std::string ispFileName;        // legacy code page bytes
    std::uint8_t trimFrequency = 0; // layouts with a trim section only
    std::uint16_t projectTag = 0;
    std::array<std::uint8_t, 6> saveTime{};
    std::uint16_t toolVersion = 0;
    std::uint8_t toolMarker = kToolMarker;
};

// 16-bit byte sum, modulo 65536.
std::uint16_t sum16(std::span<const std::uint8_t> bytes, std::uint16_t start = 0);

// The footer bytes, checksum and size included. Nothing when the family code
// has no layout or a name or the option block does not fit its length byte.
std::optional<std::vector<std::uint8_t>> encodeFooter(const Footer& footer);

enum class DecodeError {
    None,
    Malformed,   // size, checksum or structure: the file is damaged
    UnknownTool, // a tool marker no tool of this family writes
};

// Reads a footer (exactly the footer bytes, its own size field last) that
// follows codeRegionSize bytes of code. Checks, in order: the size field and
// the trailer fit, the footer checksum, the tool marker, a known family code,
// every field inside the footer, and the stored image lengths filling the
// code region exactly. Never reads outside footer.
DecodeError decodeFooter(std::span<const std::uint8_t> footer, std::uint64_t codeRegionSize,
                         Footer& out);

// The footer size stored in a file's last two bytes.
std::uint16_t storedFooterSize(std::uint8_t high, std::uint8_t low);

} // namespace scriba8::vlx
