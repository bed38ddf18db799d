// SPDX-License-Identifier: MIT
// The calendar time of this computer's time zone, thread-safe on every
// system.
#pragma once

#include <ctime>
#include <optional>

namespace scriba8::files {

// Nothing when the system cannot say.
std::optional<std::tm> localTime(std::time_t when);

// The same in UTC, for records read in other time zones.
std::optional<std::tm> utcTime(std::time_t when);

} // namespace scriba8::files
