// SPDX-License-Identifier: MIT
// Small formatting helpers of the text output.
#pragma once

#include "language.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::cli {

// "0x" and the value in upper-case hexadecimal, zero-padded to digits.
std::string HexText(std::uint32_t value, int digits);

// The text of a fixed byte field, up to its first 0xFF or NUL byte.
std::string FieldText(const std::uint8_t* bytes, std::size_t size);

// The columns a UTF-8 text takes on a terminal: Chinese characters and
// full-width punctuation take two, everything else one.
std::size_t DisplayWidth(std::string_view text);

// The text padded with blanks to width columns, and at least one blank
// after it.
std::string Padded(std::string text, std::size_t width);

// The text broken into lines of at most width columns, at blanks or
// between Chinese characters; a word longer than a line stays whole.
std::vector<std::string> WrappedLines(std::string_view text, std::size_t width);

// One text of each pair, in the language of the run: say({"Part", "型号"}).
class Say {
public:
    explicit Say(app::Language language) : language_(language) {}
    std::string operator()(const app::TextPair& text) const { return std::string(text.in(language_)); }
    app::Language language() const { return language_; }

private:
    app::Language language_;
};

// "  Part            VS8G132": one field of a description, the label in a
// column of its own.
std::string FieldLine(const std::string& label, const std::string& value);

// "32768 bytes, checksum 0x1234, chip checksum 0x5678"; without the chip
// checksum when there is none.
std::string SizeAndChecksums(std::size_t size, std::uint16_t checksum,
                             std::optional<std::uint16_t> chipChecksum, app::Language language);

struct ByteRange {
    std::uint32_t first;
    std::uint32_t last;
};

// "0x00007A00-0x00007A1F" (one address when first is last).
std::string RangeText(const ByteRange& range);

// The addresses from first up to (not including) end that hold something
// other than 0xFF. Nothing when none.
std::optional<ByteRange> CodeIn(std::span<const std::uint8_t> image, std::size_t first,
                                std::size_t end);

// The addresses where before held something other than 0xFF and after
// differs from it: code that a later step would destroy. Nothing when none.
std::optional<ByteRange> OverwrittenCode(std::span<const std::uint8_t> before,
                                         std::span<const std::uint8_t> after);

} // namespace scriba8::cli
