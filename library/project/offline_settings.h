// SPDX-License-Identifier: MIT
// The off-line settings block: what the programmer keeps next to its code
// image to program chips on its own, and what it hands back when asked.
// Numbers are least significant byte first.
//
// Layout 2 (written by this library; older programmers also hold layout 1,
// which has no EEPROM fields and so sits 10 bytes lower from byte 20 on):
//
//   0 block checksum (sum of bytes 2..end)   2 block length    4 layout
//   5 part code   7 chip identity   9 0x05   10 flash start   14 flash length
//   18 flash checksum   20 EEPROM start   24 EEPROM length   28 EEPROM checksum
//   30 auto steps   31 serial flags   32 serial address   36 serial string (12)
//   48 serial number   52 current serial number   56 counter limit
//   58 current counter   60 trim word (low, high)   62 target parameters (4)
//   66 algorithm   67 n   68 the n option bytes
//
// The programmer rewrites the two "current" counters as it works, so the
// block checksum it hands back is only right for the bytes around them.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace scriba8 {

// The read-back command always asks for this many bytes.
inline constexpr std::size_t kOffLineReadLength = 256;

// The layout-2 block for this chip: the record's image description, serial
// number rules, counter limit and trim word, the chip's identity and power
// parameters, and the encoded option bytes (at most 255). Both counters are
// 0 and the block checksum is filled in.
std::vector<std::uint8_t> buildOffLineSettings(const ContextRecord& ctx, const ChipRecord& chip,
                                               std::span<const std::uint8_t> optionBytes);

// Checks a block read back from the programmer and decodes it into ctx.
//   122  erased memory (bytes 0-4 all 0xFF)
//   112  the length field runs past the block or leaves no room for the
//        block's own option bytes, or the checksum does not match
//   102  a layout other than 1 and 2
//   101  decoded: partIndex is the first chip row with the stored part code
//        (-1 when none has it, and then the option bytes are not decoded)
// ctx is changed only on 101.
std::int32_t decodeOffLineSettings(std::span<const std::uint8_t, kOffLineReadLength> block,
                                   ContextRecord& ctx);

} // namespace scriba8
