// SPDX-License-Identifier: MIT
// The status word is polled by the application's UI thread while an export
// runs on a worker thread, so every store is an atomic 16-bit store.
#pragma once

#include <atomic>
#include <cstdint>

namespace scriba8 {

class StatusWord {
public:
    explicit StatusWord(std::uint16_t* word) : word_(word) {}

    // Transfer progress, 1..100.
    void progress(std::uint16_t percent) const { store(percent, std::memory_order_relaxed); }

    // 0 at the start, the result code at the end: the end publishes everything
    // the export wrote into the caller's record before it.
    void start() const { store(0, std::memory_order_release); }
    std::int32_t finish(std::int32_t code) const {
        store(static_cast<std::uint16_t>(code), std::memory_order_release);
        return code;
    }

    bool attached() const { return word_ != nullptr; }

private:
    void store(std::uint16_t value, std::memory_order order) const {
        if (word_ != nullptr) std::atomic_ref<std::uint16_t>(*word_).store(value, order);
    }
    std::uint16_t* word_;
};

// Reading side, for hosts polling from another thread.
inline std::uint16_t loadStatus(const std::uint16_t* word) {
    return std::atomic_ref<std::uint16_t>(*const_cast<std::uint16_t*>(word))
        .load(std::memory_order_acquire);
}

} // namespace scriba8
