// SPDX-License-Identifier: MIT
// What SCRIBA8_HIDAPI_STANDIN puts on the stand-in hidapi's USB bus.
//
// Programmers separated by ';', each a serial number followed by any of
// these words (separated by spaces):
//   boot             it runs its boot loader (an interrupted firmware update)
//   denied           its device node may not be opened by this user
//   input-bytes=N    its input reports carry only N bytes
//   feature-bytes=N  its feature reports carry only N data bytes
//   faults=LIST      device faults and facts, as SCRIBA8_VIRTUAL_FAULTS
// e.g. "P1 faults=locked; P2 boot; P3 denied". Enumeration follows this order.
#pragma once

#include "sim/faults.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace scriba8::standin {

struct ProgrammerDescription {
    std::string serial;
    bool bootLoader = false;
    bool denied = false;
    std::optional<std::size_t> inputBytes;
    std::optional<std::size_t> featureBytes;
    sim::FaultSpec faults;
};

// The programmers, or a text naming the part that could not be read.
std::variant<std::vector<ProgrammerDescription>, std::string> parseBusSpec(std::string_view text);

} // namespace scriba8::standin
