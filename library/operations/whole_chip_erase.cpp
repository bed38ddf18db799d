// SPDX-License-Identifier: MIT
// WholeChipErase: erase the chip including its option bytes, power it off and
// on again so it comes back unlocked, then write its default options with
// "LOCK" and "SB" released.
#include "chips/options.h"
#include "export_impl.h"
#include "link/clock.h"
#include "link/connection.h"
#include "operation_steps.h"

#include <cstring>

namespace scriba8 {
namespace {

// On these families the erase goes on when the programmer refuses the chip's
// identity: it is the way back for a chip that no longer identifies itself.
bool erasableAfterIdentityRejected(const ChipRecord& chip) {
    return chip.familyByte() >= 0xF0 && chip.familyByte() <= 0xF3;
}

// The chip's defaults with the lock and security options off (their bits set).
OptionBlock releasedDefaultOptions(std::int32_t chipIndex, const ChipRecord& chip) {
    OptionBlock bytes(chip.optionByteCount);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = DefaultOptionByte(chipIndex, static_cast<int>(i));
    }
    for (const BitDescriptor& bit : chip.bits) {
        const bool releases = std::strcmp(bit.name, "LOCK") == 0 || std::strcmp(bit.name, "SB") == 0;
        if (releases && bit.byteIndex < bytes.size()) bytes[bit.byteIndex] |= bit.mask;
    }
    return bytes;
}

// The second power-on, after the erase.
std::int32_t powerOnAgain(DeviceSession& session) {
    switch (TargetPowerOn(session.record())) {
    case LinkCode::Ok: return 0;
    case LinkCode::IdentityRejected: return S8_ID_REJECTED;
    case LinkCode::ChipLocked:
        TargetPowerOff(); // the end of the frame sends one more
        return S8_CHIP_LOCKED;
    default: return S8_POWER_ON_FAILED;
    }
}

} // namespace

std::int32_t wholeChipErase(ContextRecord* ctx) {
    FrameOptions options;
    options.continueWhenLocked = true;
    options.continueWhenIdentityRejected = &erasableAfterIdentityRejected;
    return RunDeviceExport(*ctx, options, [](DeviceSession& session) -> std::int32_t {
        const CommandBlock erase = MakeCommand(kEraseAllCommand);
        if (!SendCommand(erase)) return S8_SEND_ERROR;
        if (!ReadStatus(TagOf(erase), kOptionReplyTimeoutMs).is(0)) return S8_FAIL;

        if (TargetPowerOff() != LinkCode::Ok) {
            session.skipPowerDown();
            return S8_POWER_DOWN_FAILED;
        }
        programmerClock().sleepMs(kPowerCycleWaitMs);
        if (const std::int32_t failed = powerOnAgain(session)) return failed;

        const ChipRecord& chip = session.chip();
        const OptionBlock bytes = releasedDefaultOptions(session.record().partIndex, chip);
        const CommandBlock write = WriteCommand(kWriteOptionsCommand, 0,
                                                static_cast<std::uint32_t>(bytes.size()),
                                                Checksum16(bytes));
        if (!SendWithData(write, bytes, nullptr)) return S8_SEND_ERROR;
        return WriteResult(ReadStatus(TagOf(write), kOptionReplyTimeoutMs));
    });
}

} // namespace scriba8
