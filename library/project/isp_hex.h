// SPDX-License-Identifier: MIT
// The Intel HEX reader for user ISP code files. The image starts at address 0
// of the file's address space. A damaged line marks the whole file damaged:
// a boot loader cut short would leave the chip booting into nothing.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace scriba8 {

struct IspHexImage {
    std::vector<std::uint8_t> bytes; // address 0 up to the highest data end
    bool tooLarge = false;           // data ended above the limit; bytes is then empty
    bool damaged = false;            // a line failed its checksum or length; bytes is then empty
};

// Unwritten bytes read 0xFF within the first 64 KB and 0x00 above (space
// opened by extended-address records). Data ending above limit makes the
// image too large, however far the extended addresses point.
IspHexImage readIspHex(std::string_view text, std::uint64_t limit);

} // namespace scriba8
