// SPDX-License-Identifier: MIT
// A production run: one worker thread per programmer, each programming chip
// after chip with the job's steps, every chip with its own serial number
// (reserved in the journal before the chip is touched) and a record of every
// attempt. No Qt: scriba8 drives it, and a window can.
#pragma once

#include "bilingual.h"
#include "code_buffers.h"
#include "library_api.h"
#include "production_log.h"
#include "serial_allocator.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace scriba8::app {

struct ProgrammerChoice {
    std::string selection;  // what the library's per-thread selection takes
    std::string devicePath; // for the record, when known
    std::string usbSerial;
};

struct ProductionJob {
    // The record as the front end prepared it: chip, option selection,
    // steps (autoProcess), trim. Each worker runs on a copy.
    std::shared_ptr<const ContextRecord> record;
    std::vector<std::uint8_t> flash;
    std::vector<std::uint8_t> eeprom;
    std::string part;
};

struct ProductionSettings {
    // Good chips in all; nothing: each programmer programs one chip, or
    // with continuous until stopped.
    std::optional<std::uint64_t> count;
    // After each chip: wait until the socket was emptied and a new chip
    // put in (Check ID tells), then program it.
    bool continuous = false;
    std::chrono::milliseconds pollInterval{200};
    std::string runId;
    std::string host;
    Language language = Language::english;
};

// A programmer's row as a front end shows it.
struct ProgrammerRow {
    enum class State { starting, waitingForProgrammer, waitingForChip, programming, idle, done, out };
    std::string programmer;
    State state = State::starting;
    std::uint64_t good = 0;
    std::uint64_t failed = 0;
    std::string lastSerial;
    std::string lastResult;
};

struct ProductionEvents {
    // Called from the workers, one call at a time.
    std::function<void(std::size_t index, const ProgrammerRow& row)> rowChanged;
    std::function<void(const ProductionRecord& record)> recorded;
    // A programmer taken out of the run, and why.
    std::function<void(const std::string& programmer, const Bilingual& why)> takenOut;
};

struct ProductionOutcome {
    std::uint64_t attempts = 0;
    std::uint64_t good = 0;
    std::uint64_t failed = 0;
    bool interrupted = false;    // the run was asked to stop
    bool serialsRanOut = false;  // the list ended or the numbers no longer fit
    std::vector<Bilingual> problems; // what stopped programmers or the run
    std::vector<ProgrammerRow> rows;
};

class ProductionRun {
public:
    // log and csv may be null. allocator may be null: no serial numbers.
    ProductionRun(const LibraryApi& api, ProductionJob job, ProductionSettings settings,
                  SerialAllocator* allocator, RecordWriter* log, RecordWriter* csv,
                  ProductionEvents events = {});

    // For tests that play the operator: replaces the wait for the next chip
    // of a continuous run (true: a new chip is in; false: stop).
    using NextChip = std::function<bool(std::size_t index)>;
    void setNextChip(NextChip nextChip) { nextChip_ = std::move(nextChip); }

    // Runs to the end; stopRequested is asked all along (a chip in progress
    // is finished and recorded first).
    ProductionOutcome run(const std::vector<ProgrammerChoice>& programmers,
                          const std::function<bool()>& stopRequested);

private:
    class Worker;
    friend class Worker;

    // A chip may start when the count leaves room for it beside the chips in
    // progress; each claimed chip is released or finished.
    bool claimChip();
    void releaseChip();
    // Counts, numbers and writes the record (and stops the run at its count).
    void finishChip(ProductionRecord& record, bool passed);
    bool stopping() const;
    void stopAll();

    const LibraryApi& api_;
    ProductionJob job_;
    ProductionSettings settings_;
    SerialAllocator* allocator_;
    RecordWriter* log_;
    RecordWriter* csv_;
    ProductionEvents events_;
    NextChip nextChip_;

    std::mutex mutex_; // the counters, the records and the events
    std::condition_variable turns_;
    std::uint64_t nextTicket_ = 0;
    std::uint64_t serving_ = 0;
    std::uint64_t inProgress_ = 0;
    std::uint64_t counter_ = 0;
    ProductionOutcome outcome_;
    std::atomic<bool> stop_{false};
    std::function<bool()> stopRequested_;
};

} // namespace scriba8::app
