// SPDX-License-Identifier: MIT
#include "link/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace scriba8 {
namespace {

class SystemClock final : public Clock {
public:
    void sleepMs(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    void sleepUntilMs(std::uint64_t deadline) override {
        std::this_thread::sleep_until(
            std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadline)));
    }
    std::uint64_t nowMs() override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
};

std::atomic<Clock*> replacement{nullptr};

} // namespace

Clock& programmerClock() {
    static SystemClock system;
    Clock* clock = replacement.load(std::memory_order_acquire);
    return clock != nullptr ? *clock : system;
}

void setProgrammerClock(Clock* clock) { replacement.store(clock, std::memory_order_release); }

} // namespace scriba8
