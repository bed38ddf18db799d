// SPDX-License-Identifier: MIT
// Program (write the Flash image in one command; the programmer handles the
// pages) and Verify (read back as many bytes as the image holds and compare).
#include "export_impl.h"
#include "operation_steps.h"

#include <algorithm>
#include <vector>

namespace scriba8 {

std::int32_t program(ContextRecord* ctx) {
    const auto imageFits = [ctx](const ChipRecord& chip) {
        return BufferFits(ctx->flashData, ctx->flashStart, ctx->flashLength, chip.flashSize);
    };
    return RunCheckedExport(*ctx, {}, imageFits, [](DeviceSession& session) -> std::int32_t {
        const ContextRecord& r = session.record();
        // The checksum is the caller's: the programmer checks the data against it.
        const CommandBlock command =
            WriteCommand(kWriteFlashCommand, r.flashStart, r.flashLength, r.flashChecksum);
        if (!SendWithData(command, BytesOf(r.flashData, r.flashLength), &session.status())) {
            return S8_SEND_ERROR;
        }
        return WriteResult(ReadStatus(TagOf(command), WriteTimeoutMs(r.flashLength)));
    });
}

std::int32_t verify(ContextRecord* ctx) {
    const auto imageFits = [ctx](const ChipRecord& chip) {
        return BufferFits(ctx->flashData, 0, ctx->flashLength, chip.flashSize);
    };
    return RunCheckedExport(*ctx, {}, imageFits, [](DeviceSession& session) -> std::int32_t {
        const ContextRecord& r = session.record();
        // Reads start at address 0 and stop at the image's end.
        std::vector<std::uint8_t> chipBytes(r.flashLength);
        if (const std::int32_t failed = ReadMemory(kReadFlashCommand, chipBytes, &session.status())) {
            return failed;
        }
        const auto image = BytesOf(r.flashData, r.flashLength);
        return std::equal(image.begin(), image.end(), chipBytes.begin()) ? S8_PASS : S8_FAIL;
    });
}

} // namespace scriba8
