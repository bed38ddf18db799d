// SPDX-License-Identifier: MIT
// What production logs add up to: totals, yield, chips per hour, failures
// by result and by programmer, and the serial numbers used with every gap
// explained.
#pragma once

#include "language.h"
#include "production_log.h"
#include "serial_journal.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace scriba8::app {

struct ProgrammerTally {
    std::uint64_t attempts = 0;
    std::uint64_t passed = 0;
    std::uint64_t failed = 0;
};

struct SerialGap {
    std::uint64_t first = 0; // the numbers first..last (step apart) are in no good chip
    std::uint64_t last = 0;
    std::uint64_t count = 0;
    // Each number of the gap with its explanation: the failure recorded for
    // it ("verify: Fail"), or "unknown" for a number nobody recorded (the run
    // ended while a chip was being programmed: it may be in that chip).
    std::vector<std::pair<std::uint64_t, std::string>> why;
};

struct ProductionSummary {
    std::uint64_t attempts = 0;
    std::uint64_t passed = 0;
    std::uint64_t failed = 0;
    double yieldPercent = 0;
    double chipsPerHour = 0; // good chips per hour of the logged time span
    double hours = 0;
    std::map<std::int32_t, std::uint64_t> failuresByCode;
    std::map<std::int32_t, std::string> messageOfCode; // a failure text seen for each code
    std::map<std::string, ProgrammerTally> byProgrammer;
    bool numericSerials = false; // serials that read as numbers (not list bytes)
    std::uint64_t serialStep = 0;
    std::uint64_t firstSerial = 0;
    std::uint64_t lastSerial = 0;
    std::uint64_t serialsInGoodChips = 0;
    std::vector<SerialGap> gaps;
    bool gapsListed = true;
    std::vector<std::string> serialsTwice; // in two good chips: must never happen
};

// With the run's journal, numbers that never got a record (handed out to a
// chip the run died in) are part of the range too.
ProductionSummary Summarize(const std::vector<ProductionRecord>& records,
                            const JournalContents* journal = nullptr);

// The summary as the report prints it, in the interface language.
std::vector<std::string> SummaryLines(const ProductionSummary& summary, Language language);

// Milliseconds since 1970 of a record's time text; nothing when unreadable.
std::optional<std::int64_t> RecordTimeMs(const std::string& time);

} // namespace scriba8::app
