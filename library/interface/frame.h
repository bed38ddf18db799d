// SPDX-License-Identifier: MIT
// The frame every device export runs in.
//
//   std::int32_t erase(ContextRecord* ctx) {
//       return RunDeviceExport(*ctx, {}, [&](DeviceSession& session) -> std::int32_t {
//           const ChipRecord& chip = session.chip();
//           CommandBlock command = MakeCommand(kEraseFlashCommand);
//           ...
//           if (!SendCommand(command)) return S8_SEND_ERROR;
//           const StatusReply reply = ReadStatus(TagOf(command), timeout);
//           ...
//           return S8_PASS;
//       });
//   }
//
// Beginning: status word 0; a partIndex outside the chip table ends the
// export with 111 before the programmer is touched; the connection check
// (open, firmware, target power-on) and the translation of its link code.
// The body then runs with the link open and the target powered, and returns
// the result code.
//
// End, whatever the body returned: the target power-down command (unless the
// export does not power the target, or the body called skipPowerDown()), then
// the link is released even when the power-down was refused, and the code is
// published in the status word and returned. So "power down, close when that
// worked" and "close with power-down" both come down to returning the code.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"
#include "link/link_codes.h"
#include "status_word.h"

#include <cstdint>

namespace scriba8 {

struct FrameOptions {
    // Off for OffLineMode and ReadOffLineModeInfo: no power-on, no power-down.
    bool powerTarget = true;
    // Off for ReadOffLineModeInfo, which learns the chip from the programmer.
    bool needsChip = true;
    // ReadCheckSum and WholeChipErase go on with a locked chip.
    bool continueWhenLocked = false;
    // WholeChipErase goes on after a rejected identity for some families.
    bool (*continueWhenIdentityRejected)(const ChipRecord& chip) = nullptr;
    // Off when the export publishes its result itself (DumpTarget runs
    // ReadOptions after its own frame).
    bool publishResult = true;
};

class DeviceSession {
public:
    DeviceSession(ContextRecord& ctx, const FrameOptions& options);
    ~DeviceSession(); // releases a link still open, without any command
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // The common beginning: 0 when the body may run, else the export's final
    // code (already published when the options say so).
    std::int32_t begin();

    // The common end.
    std::int32_t end(std::int32_t code);

    ContextRecord& record() { return ctx_; }
    // Null only with needsChip off and no valid partIndex.
    const ChipRecord* chipOrNull() const { return chip_; }
    const ChipRecord& chip() const { return *chip_; }
    const StatusWord& status() const { return status_; }
    // Ok, or the link code the export was allowed to go on with.
    LinkCode connection() const { return connection_; }

    // For an export that has already sent the power-down itself (or had it
    // refused): the end then only releases the link.
    void skipPowerDown() { powerDownAtEnd_ = false; }

private:
    std::int32_t publish(std::int32_t code) const;

    ContextRecord& ctx_;
    FrameOptions options_;
    StatusWord status_;
    const ChipRecord* chip_ = nullptr;
    LinkCode connection_ = LinkCode::Ok;
    bool powerDownAtEnd_;
};

// Runs body(DeviceSession&) -> result code inside the frame.
template <typename Body>
std::int32_t RunDeviceExport(ContextRecord& ctx, const FrameOptions& options, Body&& body) {
    DeviceSession session(ctx, options);
    if (const std::int32_t code = session.begin(); code != 0) return code;
    return session.end(body(session));
}

// Result code for a link code of the connection check; 0 for Ok. A code the
// frame does not expect is a failure, never a reason to go on.
std::int32_t ResultForConnection(LinkCode code);

} // namespace scriba8
