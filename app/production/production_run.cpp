// SPDX-License-Identifier: MIT
#include "production_run.h"

#include "auto_sequence.h"
#include "checksums.h"
#include "programmer_hold.h"
#include "texts.h"
#include "worker_call.h"

#include <cstring>
#include <thread>

namespace scriba8::app {
namespace {

using State = ProgrammerRow::State;

// Failures that lie with the programmer, not the chip: it is taken out of
// the run and the others go on.
bool programmerFault(std::int32_t code) {
    return code == S8_NO_PROGRAMMER || code == S8_SEND_ERROR || code == S8_RECEIVE_ERROR ||
           code == S8_UPDATE_DECLINED || code == S8_UPDATE_FAILED;
}

// What Check ID answers over an empty socket.
bool socketEmpty(std::int32_t code) { return code == S8_NO_RESPONSE || code == S8_POWER_ON_FAILED; }

std::string stepName(DeviceCommand command) {
    return command == DeviceCommand::eepromProgram ? "eeprom-program" : std::string(AdviceKey(command));
}

} // namespace

class ProductionRun::Worker {
public:
    Worker(ProductionRun& run, std::size_t index, const ProgrammerChoice& choice)
        : run_(run), index_(index), choice_(choice), log_(run.settings_.language),
          pollLog_(run.settings_.language) {
        row_.programmer = choice.selection;
    }

    void operator()() {
        if (!SelectProgrammerForThread(run_.api_, choice_.selection)) {
            takeOut({"the library does not take \"" + choice_.selection + "\" as a programmer",
                     "本库不接受 \"" + choice_.selection + "\" 作为编程器"});
            return;
        }
        record_ = std::make_unique<ContextRecord>(*run_.job_.record);
        record_->status = &status_;
        runner_ = std::make_unique<DeviceRunner>(run_.api_, *record_, log_);
        poller_ = std::make_unique<DeviceRunner>(run_.api_, *record_, pollLog_);
        buffers_.eeprom = run_.job_.eeprom;
        for (bool first = true; !run_.stopping(); first = false) {
            if (!first && !waitForNextChip()) break;
            if (!run_.claimChip()) break;
            const bool goOn = programChip();
            if (!goOn || !run_.settings_.continuous) break;
        }
        if (row_.state != State::out) setState(State::done);
    }

    const ProgrammerRow& row() const { return row_; }

private:
    void setState(State state) {
        row_.state = state;
        const std::lock_guard guard(run_.mutex_);
        if (run_.events_.rowChanged) run_.events_.rowChanged(index_, row_);
    }

    void takeOut(const Bilingual& why) {
        row_.state = State::out;
        const std::lock_guard guard(run_.mutex_);
        run_.outcome_.problems.push_back({choice_.selection + ": " + why.english, choice_.selection + ": " + why.chinese});
        if (run_.events_.rowChanged) run_.events_.rowChanged(index_, row_);
        if (run_.events_.takenOut) run_.events_.takenOut(choice_.selection, why);
    }

    // Check ID until the programmed chip has left the socket and a new one
    // sits in it. False when the run stops meanwhile.
    bool waitForNextChip() {
        setState(State::waitingForChip);
        if (run_.nextChip_) return run_.nextChip_(index_) && !run_.stopping();
        for (const bool wantChip : {false, true}) {
            while (true) {
                if (run_.stopping()) return false;
                const std::int32_t code = poller_->run(DeviceCommand::checkId, buffers_).result;
                if (programmerFault(code)) {
                    takeOut(Bilingual(texts::ResultText(code)));
                    return false;
                }
                if (socketEmpty(code) != wantChip) break;
                std::this_thread::sleep_for(run_.settings_.pollInterval);
            }
        }
        return true;
    }

    // One chip from the hold to its record. False when this programmer
    // cannot go on.
    bool programChip() {
        setState(State::waitingForProgrammer);
        HoldRequest request;
        request.cancelled = [this] { return run_.stopping(); };
        const ProgrammerHold hold(run_.api_, std::move(request));
        if (!hold.mayGoOn()) {
            run_.releaseChip();
            return false;
        }

        std::optional<Serial> serial;
        if (run_.allocator_ != nullptr) {
            SerialAllocator::Next next = run_.allocator_->take(choice_.selection);
            if (next.journalError != 0) {
                run_.releaseChip();
                journalFailed(next.journalError);
                return false;
            }
            if (!next.serial) {
                run_.releaseChip();
                const std::lock_guard guard(run_.mutex_);
                run_.outcome_.serialsRanOut = true;
                run_.stop_ = true;
                return false;
            }
            serial = std::move(next.serial);
        }
        const SerialPlan* plan = run_.allocator_ != nullptr ? &run_.allocator_->plan() : nullptr;
        buffers_.flash = serial ? PatchSerial(run_.job_.flash, plan->address(), serial->bytes) : run_.job_.flash;

        setState(State::programming);
        ProductionRecord record;
        record.time = UtcTimeText();
        record.host = run_.settings_.host;
        record.runId = run_.settings_.runId;
        record.programmer = choice_.selection;
        record.devicePath = choice_.devicePath;
        record.usbSerial = choice_.usbSerial;
        record.part = run_.job_.part;
        record.imageCrc32 = Crc32(buffers_.flash.data(), buffers_.flash.size());
        record.imageChecksum = Checksum16(buffers_.flash);
        if (serial) record.serial = serial->text;

        const auto started = std::chrono::steady_clock::now();
        const AutoRunResult result = RunAutoSequence(*runner_, buffers_);
        record.durationMs = static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count());

        bool programStarted = false;
        record.resultCode = S8_PASS;
        for (std::size_t i = 0; i < result.steps.size(); ++i) {
            const auto& [command, code] = result.steps[i];
            record.steps.push_back({stepName(command), code, result.stepMs[i]});
            if (command == DeviceCommand::program) programStarted = true;
            if (code != S8_PASS && record.resultCode == S8_PASS) {
                record.resultCode = code;
                record.result = stepName(command) + ": " + std::string(texts::ResultText(code).english);
            }
        }
        if (result.steps.empty()) {
            record.resultCode = S8_FAIL;
            record.result = "no steps ran";
        }
        const bool passed = record.resultCode == S8_PASS;
        if (passed) record.result = "pass";
        // A chip that failed before its image was written cannot hold the
        // number; from the program step on it may.
        const SerialState state = passed ? SerialState::pass : programStarted ? SerialState::failed : SerialState::unused;
        record.outcome = serial ? SerialStateName(state) : "";
        if (serial) {
            if (const int error = run_.allocator_->finish(*serial, state); error != 0) journalFailed(error);
        }

        if (passed) ++row_.good;
        else ++row_.failed;
        row_.lastSerial = serial ? serial->text : "";
        row_.lastResult = record.result;
        run_.finishChip(record, passed);
        setState(State::idle);

        if (!passed && programmerFault(record.resultCode)) {
            takeOut(Bilingual(texts::ResultText(record.resultCode)));
            return false;
        }
        return true;
    }

    void journalFailed(int error) {
        const Bilingual why{"the serial journal could not be written (" + std::string(std::strerror(error)) +
                                "): the run stops, as it can no longer keep numbers from going out twice",
                            "无法写入序列号记录文件（" + std::string(std::strerror(error)) +
                                "）：运行停止，因为已无法保证号码不重复"};
        {
            const std::lock_guard guard(run_.mutex_);
            run_.outcome_.problems.push_back(why);
        }
        run_.stopAll();
    }

    ProductionRun& run_;
    std::size_t index_;
    ProgrammerChoice choice_;
    ProgrammerRow row_;
    std::unique_ptr<ContextRecord> record_;
    std::uint16_t status_ = 0;
    CodeBuffers buffers_;
    OperationLog log_;
    OperationLog pollLog_;
    std::unique_ptr<DeviceRunner> runner_;
    std::unique_ptr<DeviceRunner> poller_;
};

ProductionRun::ProductionRun(const LibraryApi& api, ProductionJob job, ProductionSettings settings,
                             SerialAllocator* allocator, RecordWriter* log, RecordWriter* csv,
                             ProductionEvents events)
    : api_(api), job_(std::move(job)), settings_(std::move(settings)), allocator_(allocator), log_(log),
      csv_(csv), events_(std::move(events)) {}

bool ProductionRun::stopping() const {
    if (stop_) return true;
    if (stopRequested_ && stopRequested_()) return true;
    return false;
}

void ProductionRun::stopAll() { stop_ = true; }

bool ProductionRun::claimChip() {
    std::unique_lock lock(mutex_);
    // Turns in the order asked for: a programmer whose chips fail fast must
    // not take every place the count leaves from the others.
    const std::uint64_t ticket = nextTicket_++;
    for (;;) {
        const bool countMade = settings_.count && outcome_.good >= *settings_.count;
        if (countMade || stopping()) {
            if (ticket == serving_) ++serving_;
            turns_.notify_all();
            return false;
        }
        const bool room = !settings_.count || outcome_.good + inProgress_ < *settings_.count;
        if (ticket == serving_ && room) {
            ++serving_;
            ++inProgress_;
            turns_.notify_all();
            return true;
        }
        turns_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void ProductionRun::releaseChip() {
    const std::lock_guard guard(mutex_);
    --inProgress_;
    turns_.notify_all();
}

void ProductionRun::finishChip(ProductionRecord& record, bool passed) {
    const std::lock_guard guard(mutex_);
    --inProgress_;
    record.counter = ++counter_;
    ++outcome_.attempts;
    if (passed) ++outcome_.good;
    else ++outcome_.failed;
    for (RecordWriter* writer : {log_, csv_}) {
        if (writer == nullptr) continue;
        if (const int error = writer->write(record); error != 0) {
            outcome_.problems.push_back(
                {writer->path() + ": the record could not be written (" + std::string(std::strerror(error)) +
                     "); the run stops",
                 writer->path() + ": 无法写入记录（" + std::string(std::strerror(error)) + "）；运行停止"});
            stop_ = true;
        }
    }
    if (events_.recorded) events_.recorded(record);
    if (settings_.count && outcome_.good >= *settings_.count) stop_ = true;
    turns_.notify_all();
}

ProductionOutcome ProductionRun::run(const std::vector<ProgrammerChoice>& programmers,
                                     const std::function<bool()>& stopRequested) {
    stopRequested_ = stopRequested;
    std::vector<std::unique_ptr<Worker>> workers;
    for (std::size_t i = 0; i < programmers.size(); ++i)
        workers.push_back(std::make_unique<Worker>(*this, i, programmers[i]));
    std::vector<std::thread> threads;
    for (auto& worker : workers) threads.emplace_back([&worker] { (*worker)(); });
    for (std::thread& thread : threads) thread.join();
    outcome_.interrupted = stopRequested_ && stopRequested_();
    for (const auto& worker : workers) outcome_.rows.push_back(worker->row());
    return outcome_;
}

} // namespace scriba8::app
