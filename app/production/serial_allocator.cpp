// SPDX-License-Identifier: MIT
#include "serial_allocator.h"


namespace scriba8::app {

SerialAllocator::SerialAllocator(SerialPlan plan, SerialJournal* journal, bool reuseUnused,
                                 std::string run)
    : plan_(std::move(plan)), journal_(journal), reuseUnused_(reuseUnused), run_(std::move(run)) {}

bool SerialAllocator::free(const std::string& key) const {
    std::optional<SerialState> state;
    if (journal_ != nullptr) {
        state = journal_->state(key);
    } else if (const auto found = thisRun_.find(key); found != thisRun_.end()) {
        state = found->second;
    }
    return !state || (reuseUnused_ && *state == SerialState::unused);
}

SerialAllocator::Next SerialAllocator::take(const std::string& programmer) {
    const std::lock_guard guard(mutex_);
    Next next;
    if (!released_.empty()) {
        // A number this run's failed chip left unused, with --reuse-failed:
        // the run leaves no gap of its own.
        next.serial = std::move(released_.back());
        released_.pop_back();
    } else {
        // The plan's numbers from the start, past every one handed out
        // before (with --reuse-failed, except those left unused).
        for (;; ++next_) {
            std::optional<Serial> candidate = plan_.at(next_);
            if (!candidate) return next;
            if (!free(candidate->key)) continue;
            next.serial = std::move(candidate);
            ++next_;
            break;
        }
    }
    const Serial& serial = *next.serial;
    if (journal_ != nullptr) {
        next.journalError = journal_->reserve(serial.key, serial.text, run_, programmer);
    } else {
        thisRun_[serial.key] = SerialState::reserved;
    }
    return next;
}

int SerialAllocator::finish(const Serial& serial, SerialState outcome) {
    const std::lock_guard guard(mutex_);
    if (reuseUnused_ && outcome == SerialState::unused) released_.push_back(serial);
    if (journal_ == nullptr) {
        thisRun_[serial.key] = outcome;
        return 0;
    }
    return journal_->record(serial.key, outcome);
}

} // namespace scriba8::app
