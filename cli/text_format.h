// Small formatting helpers of the text output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scriba8::cli {

// "0x" and the value in upper-case hexadecimal, zero-padded to digits.
std::string HexText(std::uint32_t value, int digits);

// The text of a fixed byte field, up to its first 0xFF or NUL byte.
std::string FieldText(const std::uint8_t* bytes, std::size_t size);

// The text padded with blanks to width, and at least one blank after it.
std::string Padded(std::string text, std::size_t width);

} // namespace scriba8::cli
