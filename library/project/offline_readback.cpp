// SPDX-License-Identifier: MIT
// ReadOffLineModeInfo: read the programmer's stand-alone settings, with the
// counters it keeps, back into a record. The target is never powered, and
// the chip comes from the programmer, not from the record.
#include "export_impl.h"
#include "operations/operation_steps.h"
#include "project/offline_settings.h"

#include <array>

namespace scriba8 {

std::int32_t readOffLineModeInfo(ContextRecord* ctx) {
    constexpr FrameOptions frame{.powerTarget = false, .needsChip = false};
    return RunDeviceExport(*ctx, frame, [](DeviceSession& session) -> std::int32_t {
        std::array<std::uint8_t, kOffLineReadLength> block;
        block.fill(0xFF);
        if (const std::int32_t failed = ReadMemory(kReadOffLineSettingsCommand, block, &session.status())) {
            return failed;
        }
        return decodeOffLineSettings(block, session.record());
    });
}

} // namespace scriba8
