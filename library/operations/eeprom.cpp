// SPDX-License-Identifier: MIT
// ProgramEEPROM: erase the data EEPROM, write the image, read it back and
// compare.
#include "export_impl.h"
#include "operation_steps.h"

#include <algorithm>
#include <vector>

namespace scriba8 {
namespace {

std::int32_t eraseEeprom(const ChipRecord& chip) {
    const std::uint32_t pages = PageCount(chip.eepromSize, chip.eepromPageSize);
    const CommandBlock command = EraseCommand(kEraseEepromCommand, pages, chip.eepromPageSize);
    if (!SendCommand(command)) return S8_SEND_ERROR;
    const StatusReply reply = ReadStatus(TagOf(command), EraseTimeoutMs(pages));
    if (reply.timedOut()) return S8_STATUS_TIMEOUT;
    return reply.is(0) ? 0 : S8_FAIL;
}

std::int32_t writeEeprom(const ContextRecord& r, const StatusWord& progress) {
    const CommandBlock command =
        WriteCommand(kWriteEepromCommand, r.eepromStart, r.eepromLength, r.eepromChecksum);
    if (!SendWithData(command, BytesOf(r.eepromData, r.eepromLength), &progress)) {
        return S8_SEND_ERROR;
    }
    const std::int32_t result = WriteResult(ReadStatus(TagOf(command), WriteTimeoutMs(r.eepromLength)));
    return result == S8_PASS ? 0 : result;
}

std::int32_t readBack(const ContextRecord& r, const StatusWord& progress) {
    std::vector<std::uint8_t> chipBytes(r.eepromLength);
    if (const std::int32_t failed = ReadMemory(kReadEepromCommand, chipBytes, &progress)) return failed;
    const auto image = BytesOf(r.eepromData, r.eepromLength);
    return std::equal(image.begin(), image.end(), chipBytes.begin()) ? S8_PASS : S8_FAIL;
}

} // namespace

std::int32_t programEeprom(ContextRecord* ctx) {
    // A chip without EEPROM has no page size to count pages with; the
    // automatic sequence can still ask, through a project's step mask.
    const auto usable = [ctx](const ChipRecord& chip) {
        return chip.eepromSize != 0 && chip.eepromPageSize != 0 &&
               BufferFits(ctx->eepromData, ctx->eepromStart, ctx->eepromLength, chip.eepromSize);
    };
    return RunCheckedExport(*ctx, {}, usable, [](DeviceSession& session) -> std::int32_t {
        const ContextRecord& r = session.record();
        if (const std::int32_t failed = eraseEeprom(session.chip())) return failed;
        if (const std::int32_t failed = writeEeprom(r, session.status())) return failed;
        return readBack(r, session.status());
    });
}

} // namespace scriba8
