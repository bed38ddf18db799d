// SPDX-License-Identifier: MIT
// Conversions between a chip's option bytes and the option selection held in
// the context record (partIndex, itemValue, bitValue, trimWord).
// All option bits are active-low: an option is on when its bit is 0.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>
#include <vector>

namespace scriba8 {

// An option block: at least the chip's option byte count; may grow to 16
// bytes when the stored chip checksum is appended.
using OptionBlock = std::vector<std::uint8_t>;

struct ChipRecord;

// Default option byte i of a chip (token i of its defaultOptions text, parsed
// as hexadecimal and truncated to 8 bits). 0xFF, the erased value, when the
// chip index or i is outside the table or the text.
std::uint8_t DefaultOptionByte(std::int32_t chipIndex, int i);

// Option bytes -> itemValue/bitValue of the chip named by ctx.partIndex.
// bytes must hold at least the chip's option byte count. Item slots named "NA"
// and an "ISP_SIZE" code that matches no pair leave their values alone; bit
// values become 0 or 1. Nothing happens when partIndex names no chip.
void DecodeOptions(ContextRecord& ctx, const std::uint8_t* bytes);

// Selection -> option bytes. block should hold at least the chip's option byte
// count (a shorter block is first extended with 0xFF); bytes beyond it are
// left alone unless the checksum extension applies, which replaces the block
// with a 0xFF-filled one of max(size, 16) bytes holding the option bytes and
// flashFullChecksum in bytes 14 (low) and 15 (high). Nothing happens when
// partIndex names no chip.
void EncodeOptions(const ContextRecord& ctx, OptionBlock& block);

// Link code 20 when the chip's family needs a trim word but the chip has no
// "Trim_Frequency" item; 0 otherwise.
inline constexpr int kTrimItemMissing = 20;
// Both return 0 and change nothing when partIndex names no chip. A label
// number beyond the item's choices, or a frequency index above 8 in the trim
// word, leaves trimWord or the item value unchanged.
int TrimWordFromSelection(ContextRecord& ctx);
int SelectionFromTrimWord(ContextRecord& ctx);

// The same routines for a given chip record instead of ctx.partIndex (the
// table's rows go through these too); for checks and tests on records that
// are not in the table. ctx.partIndex is not read.
namespace detail {
std::uint8_t defaultOptionByte(const ChipRecord& chip, int i);
void decodeOptions(const ChipRecord& chip, ContextRecord& ctx, const std::uint8_t* bytes);
void encodeOptions(const ChipRecord& chip, const ContextRecord& ctx, OptionBlock& block);
int trimWordFromSelection(const ChipRecord& chip, ContextRecord& ctx);
int selectionFromTrimWord(const ChipRecord& chip, ContextRecord& ctx);
} // namespace detail

} // namespace scriba8
