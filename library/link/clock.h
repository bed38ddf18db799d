// SPDX-License-Identifier: MIT
// Every pause of the link (firmware update waits, the virtual programmer's
// timing) goes through one clock, so tests can replace it with one that only
// records the pauses asked for.
#pragma once

#include <cstdint>

namespace scriba8 {

class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(std::uint32_t ms) = 0;
    // Monotonic milliseconds from an arbitrary origin.
    virtual std::uint64_t nowMs() = 0;
};

Clock& programmerClock();

// For tests: null restores the system clock.
void setProgrammerClock(Clock* clock);

} // namespace scriba8
