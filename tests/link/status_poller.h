// SPDX-License-Identifier: MIT
// Runs work on a worker thread while the calling thread polls the status word
// the way the application does, and hands back every distinct value seen, in
// order, starting with the value before the work began.
#pragma once

#include "status_word.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace scriba8::testing {

template <typename Work>
std::vector<std::uint16_t> PollWhileRunning(std::uint16_t& status, Work&& work) {
    std::atomic<bool> done{false};
    std::vector<std::uint16_t> seen{loadStatus(&status)};
    std::thread worker([&] {
        std::forward<Work>(work)();
        done.store(true, std::memory_order_release);
    });
    for (;;) {
        // Read "done" first: a value read after it is the last one.
        const bool finished = done.load(std::memory_order_acquire);
        const std::uint16_t value = loadStatus(&status);
        if (value != seen.back()) seen.push_back(value);
        if (finished) break;
        std::this_thread::yield();
    }
    worker.join();
    return seen;
}

} // namespace scriba8::testing
