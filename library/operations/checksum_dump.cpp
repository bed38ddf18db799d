// SPDX-License-Identifier: MIT
// ReadCheckSum (the code checksum a chip keeps in its option area) and
// DumpTarget (Flash, EEPROM and option selection into the record).
#include "export_impl.h"
#include "operation_steps.h"

#include <algorithm>
#include <array>
#include <vector>

namespace scriba8 {
namespace {

// Bytes 14-15 of the option area, low byte first.
constexpr std::uint32_t kOptionAreaRead = 20;
constexpr std::size_t kStoredChecksumAt = 14;

} // namespace

std::int32_t readCheckSum(ContextRecord* ctx, std::uint16_t* checksum) {
    FrameOptions options;
    options.continueWhenLocked = true; // the option area stays readable on a locked chip
    const auto hasTarget = [checksum](const ChipRecord&) { return checksum != nullptr; };
    return RunCheckedExport(*ctx, options, hasTarget, [checksum](DeviceSession&) -> std::int32_t {
        std::array<std::uint8_t, kOptionAreaRead> area{};
        if (const std::int32_t failed = ReadMemory(kReadOptionsCommand, area, nullptr)) return failed;
        // Nothing after this point changes the result.
        *checksum = static_cast<std::uint16_t>(area[kStoredChecksumAt] |
                                               area[kStoredChecksumAt + 1] << 8);
        return S8_PASS;
    });
}

std::int32_t dumpTarget(ContextRecord* ctx) {
    const auto buffersGiven = [ctx](const ChipRecord& chip) {
        return ctx->flashData != nullptr && (chip.eepromSize == 0 || ctx->eepromData != nullptr);
    };
    FrameOptions options;
    options.publishResult = false; // ReadOptions below has the last word
    const std::int32_t memories =
        RunCheckedExport(*ctx, options, buffersGiven, [](DeviceSession& session) -> std::int32_t {
            const ChipRecord& chip = session.chip();
            std::vector<std::uint8_t> flash(chip.flashSize);
            if (const std::int32_t failed = ReadMemory(kReadFlashCommand, flash, &session.status())) {
                return failed;
            }
            std::vector<std::uint8_t> eeprom(chip.eepromSize);
            if (!eeprom.empty()) {
                if (const std::int32_t failed =
                        ReadMemory(kReadEepromCommand, eeprom, &session.status())) {
                    return failed;
                }
            }
            // The caller's buffers change only once both memories are read.
            ContextRecord& r = session.record();
            std::copy(flash.begin(), flash.end(), r.flashData);
            r.flashLength = chip.flashSize;
            if (!eeprom.empty()) {
                std::copy(eeprom.begin(), eeprom.end(), r.eepromData);
                r.eepromLength = chip.eepromSize;
            }
            return S8_PASS;
        });
    if (memories != S8_PASS) return StatusWord(ctx->status).finish(memories);
    return readOptions(ctx);
}

} // namespace scriba8
