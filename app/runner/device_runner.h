// SPDX-License-Identifier: MIT
// The device commands of the main window without widgets: each prepares the
// context record, calls its export (on a worker thread for the commands that
// stream memory), logs the outcome and hands back what a front end shows.
#pragma once

#include "checksums.h"
#include "code_buffers.h"
#include "device_command.h"
#include "library_api.h"
#include "operation_log.h"
#include "worker_call.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace scriba8::app {

// The code buffers as the commands read them.
struct BufferContents {
    std::span<const std::uint8_t> flash;
    std::span<const std::uint8_t> eeprom;

    BufferContents() = default;
    BufferContents(std::span<const std::uint8_t> flashBytes,
                   std::span<const std::uint8_t> eepromBytes)
        : flash(flashBytes), eeprom(eepromBytes) {}
    // Implicit on purpose: a command reads the buffers where they are.
    BufferContents(const CodeBuffers& buffers) : flash(buffers.flash), eeprom(buffers.eeprom) {}
};

struct OptionSelection {
    std::array<std::int32_t, S8_ITEM_COUNT> itemValue{};
    std::array<std::uint32_t, S8_BIT_COUNT> bitValue{};
};

// What Dump Target read, ready to replace the buffers.
struct DumpedTarget {
    std::vector<std::uint8_t> flash;
    std::optional<std::vector<std::uint8_t>> eeprom; // when the chip has EEPROM
    FlashSummary flashSummary;
    std::uint16_t eepromChecksum = 0;
};

// The name shown for both buffers after a dump.
inline constexpr const char* kDumpDisplayName = "Dump Target";

struct CommandOutcome {
    std::int32_t result = S8_FAIL;
    // Read Options and Dump Target: the chip's selection for the "Now"
    // column. The record's own selection is never changed by a read.
    std::optional<OptionSelection> readSelection;
    std::optional<std::uint16_t> chipChecksum; // Read Chip Checksum
    std::optional<DumpedTarget> dump;          // Dump Target
};

// Dump Target's success: the read bytes replace the buffers and both
// records say so.
void ApplyDump(CodeBuffers& buffers, DumpedTarget dump);

class DeviceRunner {
public:
    // The record's status word must outlive the runner; a record without one
    // is given the runner's own.
    DeviceRunner(const LibraryApi& api, ContextRecord& record, OperationLog& log,
                 ProgressHooks hooks = {});
    DeviceRunner(const DeviceRunner&) = delete;
    DeviceRunner& operator=(const DeviceRunner&) = delete;

    // Called at the end of every run, after the command's log line: what a
    // front end adds under it (the window's explanation of a failure).
    using AfterCommand =
        std::function<void(DeviceRunner& runner, DeviceCommand command,
                           const CommandOutcome& outcome, BufferContents buffers)>;
    void setAfterCommand(AfterCommand after) { after_ = std::move(after); }

    // Runs one command to completion; its final code is left in the status
    // word it used (the main record's, except for the commands that work on a
    // temporary record: Read Options, Read Chip Checksum, Dump Target).
    CommandOutcome run(DeviceCommand command, BufferContents buffers);

    ContextRecord& record() { return record_; }
    OperationLog& log() { return log_; }
    const LibraryApi& api() const { return api_; }
    const ProgressHooks& hooks() const { return hooks_; }

private:
    std::int32_t runOnMainRecord(DeviceCommand command, BufferContents buffers);
    CommandOutcome readOptions();
    CommandOutcome readChipChecksum();
    CommandOutcome dumpTarget();
    ChipSizes chip() const;

    const LibraryApi& api_;
    ContextRecord& record_;
    OperationLog& log_;
    ProgressHooks hooks_;
    AfterCommand after_;
    std::uint16_t ownStatus_ = 0;
};

} // namespace scriba8::app
