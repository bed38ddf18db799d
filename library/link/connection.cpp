// SPDX-License-Identifier: MIT
#include "link/connection.h"

#include "link/clock.h"
#include "link/firmware_update.h"
#include "interface/host_prompts.h"
#include "link/transport.h"
#include "link/udev_rules.h"
#include "link/usb_ids.h"
#include "resources/resources.h"

#include <array>
#include <optional>
#include <string>

namespace scriba8 {
namespace {

constexpr std::uint32_t kPowerOnTimeoutMs = 5000;
constexpr std::uint32_t kPowerDownTimeoutMs = 1000;
constexpr std::uint32_t kRestartPauseMs = 2000;

LinkCode powerOnResult(const StatusReply& reply) {
    if (reply.timedOut()) return LinkCode::ReceiveFailed;
    if (reply.tagMismatch()) return LinkCode::TagMismatch;
    switch (reply.value) {
    case 0: return LinkCode::Ok;
    case 2: return LinkCode::PowerOnFailed;
    case 3: return LinkCode::NoResponse;
    case 5: return LinkCode::IdentityRejected;
    case 6: return LinkCode::ChipLocked;
    default: return LinkCode::UnexpectedStatus;
    }
}

LinkCode powerDownResult(const StatusReply& reply) {
    if (reply.timedOut()) return LinkCode::ReceiveFailed;
    if (reply.tagMismatch()) return LinkCode::TagMismatch;
    switch (reply.value) {
    case 0: return LinkCode::Ok;
    case 3: return LinkCode::NoResponse;
    default: return LinkCode::UnexpectedStatus;
    }
}

void reportPermissionProblem(const S8HostCallbacks* host) {
    const std::string text =
        "The programmer was found at " + DeniedDevicePath() +
        " but this user may not open it (permission denied).\n" +
        UdevRulesAdvice(kInstalledUdevRulesFile);
    ShowError(host, text.c_str());
}

void reportUselessImage(const S8HostCallbacks* host, LinkCode firmware) {
    const int image = firmware == LinkCode::AuxFirmwareMismatch ? kAuxFirmwareImageId
                                                                : kMainFirmwareImageId;
    const std::string text =
        "The programmer took the firmware update but still reports the same version mismatch: "
        "the image " + DescribeResource("FWCODE", image) +
        " does not carry the firmware version this library works with. Install the image that "
        "came with this library version, then repeat the command.";
    ShowError(host, text.c_str());
}

const char* updateQuestion(LinkCode firmware) {
    switch (firmware) {
    case LinkCode::FirmwareMismatch: return kMainFirmwareQuestion;
    case LinkCode::No8051Support: return kNo8051Question;
    default: return kAuxFirmwareQuestion;
    }
}

} // namespace

FirmwareVersions ParseFirmwareReply(std::span<const std::uint8_t, 8> reply) {
    FirmwareVersions versions;
    versions.main = reply[0] | (reply[1] << 8) | (reply[2] << 16) |
                    (static_cast<std::uint32_t>(reply[3]) << 24);
    versions.aux = static_cast<std::uint16_t>(reply[4] | (reply[5] << 8));
    versions.supports8051 = reply[7] == 2;
    return versions;
}

LinkCode FirmwareVerdict(const FirmwareVersions& versions) {
    if (!versions.supports8051) return LinkCode::No8051Support;
    if (versions.main != kAcceptedMainFirmware) return LinkCode::FirmwareMismatch;
    if (versions.aux != kAcceptedAuxFirmware) return LinkCode::AuxFirmwareMismatch;
    return LinkCode::Ok;
}

FirmwareReading ReadFirmwareVersions() {
    if (!SendCommand(MakeCommand(kFirmwareQueryCommand))) return {LinkCode::SendFailed, {}};
    std::array<std::uint8_t, 8> reply{};
    if (ReceiveBlock(reply, nullptr) != reply.size()) return {LinkCode::ReceiveFailed, {}};
    return {LinkCode::Ok, ParseFirmwareReply(reply)};
}

LinkCode QueryFirmware() {
    const FirmwareReading reading = ReadFirmwareVersions();
    if (reading.code != LinkCode::Ok) return reading.code;
    return FirmwareVerdict(reading.versions);
}

CommandBlock PowerOnCommand(const ChipRecord& chip) {
    CommandBlock command = MakeCommand(kTargetPowerOnCommand);
    command[4] = chip.productByte();
    command[5] = chip.familyByte();
    command[6] = 0x05;
    for (std::size_t i = 0; i < 4; ++i) command[7 + i] = chip.targetParams[i];
    command[11] = static_cast<std::uint8_t>(chip.algorithm);
    return command;
}

LinkCode TargetPowerOn(const ContextRecord& ctx) {
    const ChipRecord* chip = chipAt(ctx.partIndex);
    if (chip == nullptr) return LinkCode::PowerOnFailed;
    const CommandBlock command = PowerOnCommand(*chip);
    if (!SendCommand(command)) return LinkCode::SendFailed;
    return powerOnResult(ReadStatus(TagOf(command), kPowerOnTimeoutMs));
}

LinkCode TargetPowerOff() {
    const CommandBlock command = MakeCommand(kTargetPowerDownCommand);
    if (!SendCommand(command)) return LinkCode::SendFailed;
    return powerDownResult(ReadStatus(TagOf(command), kPowerDownTimeoutMs));
}

LinkCode ConnectProgrammer(const ContextRecord& ctx, bool powerTarget) {
    // Each pass either ends the check or follows an update the user agreed
    // to and that succeeded. An image that does not carry the version this
    // library needs would update the programmer forever, so the same
    // mismatch after its own update ends the check.
    std::optional<LinkCode> cured;
    for (;;) {
        if (!OpenProgrammer(ProgrammerProductId())) {
            if (OpenFailedForPermission()) reportPermissionProblem(ctx.host);
            if (const std::string problem = OpenProblem(); !problem.empty())
                ShowError(ctx.host, problem.c_str());
            return LinkCode::NotFound;
        }
        const LinkCode firmware = QueryFirmware();
        if (firmware == LinkCode::Ok) break;
        if (firmware == LinkCode::SendFailed || firmware == LinkCode::ReceiveFailed) return firmware;
        if (cured == firmware) {
            reportUselessImage(ctx.host, firmware);
            return LinkCode::UpdateFailed;
        }
        if (!AskYesNo(ctx.host, updateQuestion(firmware))) return LinkCode::UpdateDeclined;
        const LinkCode update = firmware == LinkCode::AuxFirmwareMismatch
                                    ? UpdateAuxFirmware()
                                    : UpdateMainFirmware(ctx.host);
        if (update != LinkCode::Ok) return LinkCode::UpdateFailed;
        cured = firmware;
        programmerClock().sleepMs(kRestartPauseMs);
    }
    if (!powerTarget) return LinkCode::Ok;
    switch (const LinkCode power = TargetPowerOn(ctx)) {
    case LinkCode::Ok:
    case LinkCode::IdentityRejected:
    case LinkCode::ChipLocked:
    case LinkCode::NoResponse: return power;
    default: return LinkCode::PowerOnFailed;
    }
}

} // namespace scriba8
