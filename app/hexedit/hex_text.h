// SPDX-License-Identifier: MIT
// Texts of the hex editor: painted row texts, address labels and the two
// clipboard forms of a selection.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scriba8::hexedit {

// "12 34 56": two upper-case digits per byte, one space between bytes.
std::string HexRowText(std::span<const std::uint8_t> bytes);

// One character per byte: printable ASCII as itself, everything else ".".
std::string AsciiRowText(std::span<const std::uint8_t> bytes);

// The index zero-padded to the given number of upper-case hex digits (a
// longer number keeps all its digits); never more than 31 characters.
std::string AddressLabel(std::uint32_t index, unsigned digits);

// Plain-text form of bytes start..end (inclusive) of data, laid out in rows of
// bytesPerRow. A selection longer than a row keeps its column: the first line
// is indented by three spaces per skipped byte. Every line ends with "\n".
std::string SelectionText(std::span<const std::uint8_t> data, std::uint32_t start, std::uint32_t end,
                          unsigned bytesPerRow);

// The "BinaryData" form: a 32-bit little-endian byte count, then the bytes.
std::vector<std::uint8_t> EncodeBinaryData(std::span<const std::uint8_t> bytes);

// The bytes a "BinaryData" form really holds: its count, cut to what follows
// the count. A form too short to hold a count holds nothing.
std::span<const std::uint8_t> DecodeBinaryData(std::span<const std::uint8_t> form);

} // namespace scriba8::hexedit
