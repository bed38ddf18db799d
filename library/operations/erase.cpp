// SPDX-License-Identifier: MIT
// Erase (the Flash, page by page) and BlankCheck (all of the Flash reads
// 0xFF).
#include "export_impl.h"
#include "operation_steps.h"

#include <algorithm>
#include <vector>

namespace scriba8 {

std::int32_t erase(ContextRecord* ctx) {
    return RunDeviceExport(*ctx, {}, [](DeviceSession& session) -> std::int32_t {
        const ChipRecord& chip = session.chip();
        const std::uint32_t pages = PageCount(chip.flashSize, chip.flashPageSize);
        const CommandBlock command = EraseCommand(kEraseFlashCommand, pages, chip.flashPageSize);
        if (!SendCommand(command)) return S8_SEND_ERROR;
        const StatusReply reply = ReadStatus(TagOf(command), EraseTimeoutMs(pages));
        if (reply.timedOut()) return S8_STATUS_TIMEOUT;
        return reply.is(0) ? S8_PASS : S8_FAIL;
    });
}

std::int32_t blankCheck(ContextRecord* ctx) {
    return RunDeviceExport(*ctx, {}, [](DeviceSession& session) -> std::int32_t {
        // The whole Flash, whatever the caller's buffer holds.
        std::vector<std::uint8_t> flash(session.chip().flashSize);
        if (const std::int32_t failed = ReadMemory(kReadFlashCommand, flash, &session.status())) {
            return failed;
        }
        const bool blank = std::all_of(flash.begin(), flash.end(),
                                       [](std::uint8_t byte) { return byte == 0xFF; });
        return blank ? S8_PASS : S8_FAIL;
    });
}

} // namespace scriba8
