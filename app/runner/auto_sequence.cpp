// SPDX-License-Identifier: MIT
#include "auto_sequence.h"

#include "programmer_hold.h"
#include "status_word.h"

#include <algorithm>
#include <chrono>

namespace scriba8::app {
namespace {

std::uint16_t withBit(std::uint16_t mask, std::uint16_t bit, bool on) {
    return static_cast<std::uint16_t>(on ? (mask | bit) : (mask & ~bit));
}

} // namespace

AutoDialogState OpenAutoDialog(std::uint16_t autoProcess, bool flashEmpty, const ChipSizes& chip) {
    AutoDialogState state;
    state.autoProcess = withBit(autoProcess, S8_STEP_PROGRAM, !flashEmpty);
    state.programEnabled = !flashEmpty;
    state.eepromProgramEnabled = chip.eepromSize != 0;
    state.saveChecksumEnabled = chip.chipChecksumSupported;
    return state;
}

std::uint16_t ClickAutoBox(std::uint16_t autoProcess, std::uint16_t bit, bool ticked) {
    std::uint16_t mask = withBit(autoProcess, bit, ticked);
    if (bit == S8_STEP_PROGRAM || bit == S8_STEP_WRITE_OPTIONS) {
        const std::uint16_t other =
            bit == S8_STEP_PROGRAM ? S8_STEP_WRITE_OPTIONS : S8_STEP_PROGRAM;
        const bool both = ticked && (mask & other) != 0;
        if (both || !ticked) mask = withBit(mask, S8_STEP_SAVE_CHIP_CHECKSUM, both);
    }
    return mask;
}

bool AutoRunResult::passed() const {
    return std::all_of(steps.begin(), steps.end(),
                       [](const auto& step) { return step.second == S8_PASS; });
}

AutoRunResult RunAutoSequence(DeviceRunner& runner, BufferContents buffers,
                              const std::function<bool()>& stopRequested) {
    ContextRecord& record = runner.record();
    OperationLog& log = runner.log();
    AutoRunResult result;
    // Another process must not use the programmer between two steps: an
    // erase of its own between our program and verify mixes two images.
    HoldRequest request;
    request.cancelled = stopRequested;
    const ProgrammerHold hold(runner.api(), std::move(request));
    if (!hold.mayGoOn()) return result;

    log.setAutoRunning(true);
    log.autoStart();
    for (const AutoStep& step : kAutoSteps) {
        if ((record.autoProcess & step.bit) == 0) continue;
        if (stopRequested && stopRequested()) break;
        record.autoProcess = withBit(record.autoProcess, S8_STEP_RUNNING, true);
        const auto started = std::chrono::steady_clock::now();
        runner.run(step.command, buffers);
        const auto took = std::chrono::steady_clock::now() - started;
        record.autoProcess = withBit(record.autoProcess, S8_STEP_RUNNING, false);
        const std::uint16_t status = loadStatus(record.status);
        result.steps.emplace_back(step.command, status);
        result.stepMs.push_back(static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        if (step.command != DeviceCommand::writeOptions && status != S8_PASS) break;
    }
    log.autoEnd();
    log.setAutoRunning(false);
    return result;
}

} // namespace scriba8::app
