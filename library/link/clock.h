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
    // Until nowMs() reaches deadline; nothing when it has. Many short waits
    // against deadlines do not add up their oversleep as sleepMs would.
    virtual void sleepUntilMs(std::uint64_t deadline) {
        const std::uint64_t current = nowMs();
        if (deadline > current) sleepMs(static_cast<std::uint32_t>(deadline - current));
    }
};

Clock& programmerClock();

// For tests: null restores the system clock.
void setProgrammerClock(Clock* clock);

} // namespace scriba8
