// SPDX-License-Identifier: MIT
// Serial numbers for a production run: which bytes the k-th chip gets, and
// where. Three kinds:
//  - continuous: start, step, a size of 1 to 8 bytes, binary (either byte
//    order) or ASCII decimal or hexadecimal digits;
//  - a list file: one serial a line, hex bytes or quoted text;
//  - the stand-alone block the programmer itself writes: a 12-byte text and
//    a 4-byte number, most significant byte first, counting up from a start.
#pragma once

#include "bilingual.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace scriba8::app {

enum class ByteOrder { big, little };
enum class SerialFormat { binary, decimal, hex };

struct ContinuousSerials {
    std::uint64_t start = 0;
    std::uint64_t step = 1;
    unsigned size = 4;
    std::optional<std::uint32_t> address;
    ByteOrder order = ByteOrder::big;
    SerialFormat format = SerialFormat::binary;
};

struct SerialList {
    std::string file;
    std::vector<std::vector<std::uint8_t>> values; // all of one length
    std::optional<std::uint32_t> address;
};

struct SerialBlock {
    std::array<std::uint8_t, 12> text{}; // 0xFF after the last character
    std::uint32_t start = 0;
    std::uint32_t address = 0;
};

// One serial: what the journal knows it by, what the log shows, and the
// bytes that go into the chip.
struct Serial {
    std::string key;  // "n:<decimal number>" or "b:<hex bytes>"
    std::string text; // the number, or the bytes, in hex
    std::vector<std::uint8_t> bytes;
};

struct SerialPlan {
    std::variant<std::monostate, ContinuousSerials, SerialList, SerialBlock> rule;

    bool enabled() const { return !std::holds_alternative<std::monostate>(rule); }
    std::uint32_t address() const;
    std::size_t size() const;
    // The k-th serial (from 0); nothing past the plan's end (the list ran
    // out, or the next number no longer fits its size).
    std::optional<Serial> at(std::uint64_t k) const;
};

// --serial start=N,step=N,size=N,address=A[,order=le|be][,format=bin|dec|hex]:
// numbers decimal or 0x hex. Only address= may stand alone, for a list file.
std::variant<ContinuousSerials, Bilingual> ParseSerialOption(std::string_view text);

// A list file: one serial a line, as hex bytes ("01 A2 FF" or "01A2FF") or
// as text in double quotes; blank lines and lines starting with '#' are
// skipped. Any other line refuses the whole file, naming file, line and
// reason, before anything is programmed.
std::variant<SerialList, Bilingual> ReadSerialList(const std::string& path);

// Refused at the start of a run: a serial area beyond the chip's Flash, or
// one that would overwrite code bytes that are not 0xFF (unless force).
std::optional<Bilingual> CheckSerialArea(const SerialPlan& plan, std::span<const std::uint8_t> image,
                                         std::uint32_t flashSize, bool force);

// The image with the serial written into it, grown with 0xFF when the
// serial lies beyond its end.
std::vector<std::uint8_t> PatchSerial(std::span<const std::uint8_t> image, std::uint32_t address,
                                      std::span<const std::uint8_t> bytes);

// "0x1F" or "31": what the command line takes for a number.
std::optional<std::uint64_t> ParseNumberText(std::string_view text);

} // namespace scriba8::app
