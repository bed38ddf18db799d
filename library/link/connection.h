// SPDX-License-Identifier: MIT
// The connection check every device export starts with: open the programmer,
// accept its firmware (offering an update when it does not match) and power
// the target with the selected chip's identity and parameters.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"
#include "link/command.h"
#include "link/firmware_versions.h"
#include "link/link_codes.h"

#include <cstdint>
#include <span>

namespace scriba8 {

inline constexpr std::uint32_t kAcceptedMainFirmware = 0x00150003;
inline constexpr std::uint16_t kAcceptedAuxFirmware = 0x0104;

inline constexpr char kMainFirmwareQuestion[] = "Unmatched FW version, Do you want to update ?";
inline constexpr char kNo8051Question[] = "FW is not support 8051, Do you want to update ?";
inline constexpr char kAuxFirmwareQuestion[] =
    "Unmatched sub MCU FW version, Do you want to update ?";

FirmwareVersions ParseFirmwareReply(std::span<const std::uint8_t, 8> reply);

// Ok, FirmwareMismatch, AuxFirmwareMismatch or No8051Support (checked in
// that order: 8051 support, main, auxiliary).
LinkCode FirmwareVerdict(const FirmwareVersions& versions);

// Sends the firmware query and reads the reply: Ok with the versions,
// SendFailed or ReceiveFailed.
struct FirmwareReading {
    LinkCode code = LinkCode::Ok;
    FirmwareVersions versions;
};
FirmwareReading ReadFirmwareVersions();

// Ok, SendFailed, ReceiveFailed, or FirmwareVerdict's mismatch codes.
LinkCode QueryFirmware();

// The power-on command for a chip: identity bytes, 0x05, the four target
// parameters and the algorithm number.
CommandBlock PowerOnCommand(const ChipRecord& chip);

// Powers the target as the chip of ctx.partIndex.
LinkCode TargetPowerOn(const ContextRecord& ctx);
LinkCode TargetPowerOff();

// Opens the link and checks the firmware, updating it when the user agrees;
// with powerTarget, powers the target. The link stays open only on Ok.
LinkCode ConnectProgrammer(const ContextRecord& ctx, bool powerTarget);

} // namespace scriba8
