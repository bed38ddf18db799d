// SPDX-License-Identifier: MIT
// Starting a stand-alone run of the virtual programmer by hand:
// SCRIBA8_VIRTUAL_OFFLINE, read once per process at the first open, after
// the saved state was loaded, so the host then sees the counters advanced.
//
// Comma-separated items, as in SCRIBA8_VIRTUAL_FAULTS:
//   run=N      program N chips (1..1000000) from the off-line store
//   keep-chip  program the chip in the socket every time instead of a new one
#pragma once

#include "sim/virtual_programmer.h"

#include <string>
#include <string_view>
#include <variant>

namespace scriba8::sim {

struct OffLineRunSpec {
    int count = 0;
    bool keepChip = false;
};

// The error text names the item that could not be read.
std::variant<OffLineRunSpec, std::string> parseOffLineRunSpec(std::string_view text);

// One line for the person who asked for the run, e.g. "programmed 2 of 3
// chips; stopped: the counter reached its limit".
std::string describeOffLineRun(const OffLineRun& run, int asked);

} // namespace scriba8::sim
