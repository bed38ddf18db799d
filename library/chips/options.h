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

// Default option byte i of a chip (token i of its defaultOptions text).
std::uint8_t DefaultOptionByte(std::int32_t chipIndex, int i);

// Option bytes -> itemValue/bitValue of the chip named by ctx.partIndex.
// bytes must hold at least the chip's option byte count.
void DecodeOptions(ContextRecord& ctx, const std::uint8_t* bytes);

// Selection -> option bytes. block must hold at least the chip's option byte
// count; bytes beyond it are left alone unless the checksum extension applies,
// which replaces the block with a 0xFF-filled one of max(size, 16) bytes.
void EncodeOptions(const ContextRecord& ctx, OptionBlock& block);

// Link code 20 when the chip's family needs a trim word but the chip has no
// "Trim_Frequency" item; 0 otherwise.
inline constexpr int kTrimItemMissing = 20;
int TrimWordFromSelection(ContextRecord& ctx);
int SelectionFromTrimWord(ContextRecord& ctx);

} // namespace scriba8
