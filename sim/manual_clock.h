// SPDX-License-Identifier: MIT
// A clock for tests: time moves only when someone waits, and every wait is
// recorded, so tests run fast and still see the pauses asked for.
#pragma once

#include "link/clock.h"

#include <cstdint>
#include <vector>

namespace scriba8::sim {

class ManualClock final : public Clock {
public:
    void sleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    std::uint64_t nowMs() override { return now; }

    std::uint64_t now = 1'000'000;
    std::vector<std::uint32_t> sleeps;
};

// Installs a ManualClock for the lifetime of the object.
class ScopedManualClock {
public:
    ScopedManualClock() { setProgrammerClock(&clock); }
    ~ScopedManualClock() { setProgrammerClock(nullptr); }
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;
    ManualClock clock;
};

} // namespace scriba8::sim
