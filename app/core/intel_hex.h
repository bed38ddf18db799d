// SPDX-License-Identifier: MIT
// Intel HEX text to a memory image. The image starts at the file's lowest
// data address; gaps are 0xFF; a later record overwrites an earlier one.
// Every line that is not blank must be a record (blanks around it are
// harmless), and nothing but blank lines may follow the end-of-file record.
// Any damaged or foreign line refuses the whole file: a partly loaded image
// would be programmed as if complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace scriba8::app {

enum class HexFault {
    none,
    checksum,       // the line's bytes do not sum to zero
    oddDigits,      // a digit without its partner
    lengthMismatch, // the length byte does not match the bytes on the line
    notHex,         // a character that is not a hexadecimal digit
    unknownType,    // a record type other than 0 to 5
    noEndRecord,    // the text ends without an end-of-file record
    noData,         // no data record at all
    notARecord,     // a line that does not start with ':'
    afterEnd,       // something other than blank lines after the end-of-file record
    nulByte,        // a NUL character: the file is not text
};

struct HexParseResult {
    HexFault fault = HexFault::none;
    // The 1-based line of the fault; 0 for faults of the whole file.
    std::size_t faultLine = 0;
    // False when the image would be larger than the size limit; then nothing
    // was allocated and image is empty.
    bool fits = true;
    std::uint64_t lowestAddress = 0;
    std::uint64_t span = 0; // highest end minus lowest start; 0 without data
    std::vector<std::uint8_t> image;
    // The first address where a later record changed a byte an earlier one
    // had set, and how many bytes were changed that way.
    std::optional<std::uint64_t> firstOverlap;
    std::uint64_t overlappingBytes = 0;

    bool ok() const { return fault == HexFault::none && fits; }
};

HexParseResult ParseIntelHex(std::string_view text, std::uint64_t sizeLimit);

} // namespace scriba8::app
