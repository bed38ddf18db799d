// SPDX-License-Identifier: MIT
// Hands out the serial numbers of a run to its programmers, one at a time,
// each reserved in the journal (on the disk) before its chip is touched.
#pragma once

#include "serial_journal.h"
#include "serial_numbers.h"

#include <cstdint>
#include <mutex>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace scriba8::app {

class SerialAllocator {
public:
    // journal may be null: the run then promises nothing beyond itself.
    // With reuseUnused, numbers of chips that failed before their image was
    // written are handed out again; a number whose outcome is unknown never.
    SerialAllocator(SerialPlan plan, SerialJournal* journal, bool reuseUnused, std::string run);

    struct Next {
        std::optional<Serial> serial; // nothing: the plan has run out
        int journalError = 0;         // the reservation did not reach the disk
    };
    // The next number nobody has had, reserved for programmer.
    Next take(const std::string& programmer);

    // What became of it; 0 or the errno value of the journal write.
    int finish(const Serial& serial, SerialState outcome);

    const SerialPlan& plan() const { return plan_; }

private:
    bool free(const std::string& key) const;

    SerialPlan plan_;
    SerialJournal* journal_;
    bool reuseUnused_;
    std::string run_;
    std::mutex mutex_;
    std::uint64_t next_ = 0;
    std::map<std::string, SerialState> thisRun_; // without a journal
    std::vector<Serial> released_;               // left unused, to hand out again
};

} // namespace scriba8::app
