// SPDX-License-Identifier: MIT
// The automatic sequence: the chosen device commands in a fixed order,
// stopping at the first one that does not pass, and the coupling of the
// dialog's step boxes.
#pragma once

#include "device_runner.h"

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace scriba8::app {

struct AutoStep {
    std::uint16_t bit;
    DeviceCommand command;
};

// In the order the sequence runs them.
inline constexpr std::array<AutoStep, 7> kAutoSteps{{
    {S8_STEP_WHOLE_CHIP_ERASE, DeviceCommand::wholeChipErase},
    {S8_STEP_ERASE, DeviceCommand::erase},
    {S8_STEP_BLANK_CHECK, DeviceCommand::blankCheck},
    {S8_STEP_PROGRAM, DeviceCommand::program},
    {S8_STEP_EEPROM_PROGRAM, DeviceCommand::eepromProgram},
    {S8_STEP_VERIFY, DeviceCommand::verify},
    {S8_STEP_WRITE_OPTIONS, DeviceCommand::writeOptions},
}};

// The step dialog as it opens: Program is selected exactly when there is
// code to program; boxes are enabled only where the step can apply.
struct AutoDialogState {
    std::uint16_t autoProcess = S8_DEFAULT_AUTO_PROCESS;
    bool programEnabled = false;
    bool eepromProgramEnabled = false;
    bool saveChecksumEnabled = false;
};
AutoDialogState OpenAutoDialog(std::uint16_t autoProcess, bool flashEmpty, const ChipSizes& chip);

// The mask after the box of one bit was ticked or unticked. Program together
// with Write Options turns "Save Chip Checksum" on; unticking either turns it
// off.
std::uint16_t ClickAutoBox(std::uint16_t autoProcess, std::uint16_t bit, bool ticked);

struct AutoRunResult {
    std::vector<std::pair<DeviceCommand, std::int32_t>> steps; // in the order run
    std::vector<std::uint64_t> stepMs;                          // how long each took
    bool passed() const;
};

// Runs the steps selected in the runner's record, between the sequence's
// Start and End lines, holding the programmer for the whole sequence.
// stopRequested (may be empty) is asked while waiting for it and before each
// step; true ends the sequence there, as a failed step would.
AutoRunResult RunAutoSequence(DeviceRunner& runner, BufferContents buffers,
                              const std::function<bool()>& stopRequested = {});

} // namespace scriba8::app
