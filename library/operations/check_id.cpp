// SPDX-License-Identifier: MIT
// CheckID: is the chip in the socket the part selected?
#include "export_impl.h"
#include "frame.h"
#include "link/command.h"
#include "link/transport.h"

#include <array>
#include <span>

namespace scriba8 {
namespace {

// reply: product, family, 0x05 on the three-byte identity families, then two
// bytes nobody examines.
bool identityMatches(const ChipRecord& chip, std::span<const std::uint8_t, 5> reply) {
    if (reply[0] != chip.productByte() || reply[1] != chip.familyByte()) return false;
    switch (chip.familyByte()) {
    case 0xF0: case 0xF1: case 0xF2: case 0xF3: case 0xF4: case 0xF5:
    case 0xF7: case 0xF8: case 0xF9: case 0xFA: case 0xFC:
        return true; // two-byte identity families
    default:
        return reply[2] == 0x05;
    }
}

} // namespace

std::int32_t checkId(ContextRecord* ctx) {
    return RunDeviceExport(*ctx, {}, [](DeviceSession& session) -> std::int32_t {
        CommandBlock command = MakeCommand(kReadIdentityCommand);
        command[8] = 0x05;
        if (!SendCommand(command)) return S8_SEND_ERROR;
        std::array<std::uint8_t, 5> reply;
        reply.fill(0xFF);
        if (ReceiveBlock(reply, nullptr) != reply.size()) return S8_RECEIVE_ERROR;
        return identityMatches(session.chip(), reply) ? S8_PASS : S8_FAIL;
    });
}

} // namespace scriba8
