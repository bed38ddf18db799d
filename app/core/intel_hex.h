// Intel HEX text to a memory image. The image starts at the file's lowest
// data address; gaps are 0xFF; a later record overwrites an earlier one.
// A line with a bad checksum, an unknown record type or too few digits ends
// the parse quietly: what came before it is the result.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace scriba8::app {

struct HexParseResult {
    // False when the image would be larger than the size limit; then nothing
    // was allocated and image is empty.
    bool fits = true;
    std::uint64_t lowestAddress = 0;
    std::uint64_t span = 0; // highest end minus lowest start; 0 without data
    std::vector<std::uint8_t> image;
};

// The text ends at its first NUL character, if it has one.
HexParseResult ParseIntelHex(std::string_view text, std::uint64_t sizeLimit);

} // namespace scriba8::app
