// SPDX-License-Identifier: MIT
// Auto-sequence steps by name: "--steps erase,program,verify".
#pragma once

#include "language.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::cli {

struct StepName {
    std::uint16_t bit;
    std::string_view name;
};

// In the order the sequence runs them; save-checksum is no step of its
// own: it makes write-options store the chip checksum with the options.
const std::vector<StepName>& StepNames();

// A comma-separated list of step names, "default" (the 0x001F steps),
// "none", or a mask such as 0x1F. Nothing for a list that cannot be read;
// error then says why, in the given language.
std::optional<std::uint16_t> ParseSteps(std::string_view text, std::string& error,
                                        app::Language language = app::Language::english);

// The names of the steps in a mask, in running order.
std::vector<std::string> StepList(std::uint16_t mask);

// A whole number, decimal or 0x hexadecimal, no larger than maximum.
std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t maximum);

} // namespace scriba8::cli
