// SPDX-License-Identifier: MIT
// The 16-byte command block that starts every exchange with the programmer,
// and the commands it knows. Multi-byte fields are least significant byte
// first.
//
//   byte 0      0x55
//   byte 1      tag: random, new for every command; echoed by the status reply
//   bytes 2, 3  operation, area
//   bytes 4-7   address or command-specific bytes
//   bytes 8-11  length
//   bytes 12-13 16-bit checksum or page size
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace scriba8 {

using CommandBlock = std::array<std::uint8_t, 16>;

struct Command {
    std::uint8_t operation;
    std::uint8_t area;
};

inline constexpr Command kFirmwareQueryCommand{0x04, 0x0A};
inline constexpr Command kTargetPowerOnCommand{0x07, 0x01};
inline constexpr Command kTargetPowerDownCommand{0x07, 0x02};
inline constexpr Command kReadIdentityCommand{0x04, 0x09};
inline constexpr Command kEraseFlashCommand{0x02, 0x01};
inline constexpr Command kReadFlashCommand{0x06, 0x01};
inline constexpr Command kWriteFlashCommand{0x05, 0x01};
inline constexpr Command kEraseEepromCommand{0x02, 0x03};
inline constexpr Command kWriteEepromCommand{0x05, 0x06};
inline constexpr Command kReadEepromCommand{0x06, 0x06};
inline constexpr Command kEraseAllCommand{0x02, 0x02}; // Flash and option bytes
inline constexpr Command kWriteOptionsCommand{0x05, 0x02};
inline constexpr Command kReadOptionsCommand{0x06, 0x02};
inline constexpr Command kTrimOscillatorCommand{0x07, 0x06};
inline constexpr Command kOffLineImageCommand{0x05, 0x04};
inline constexpr Command kOffLineSettingsCommand{0x05, 0x03};
inline constexpr Command kReadOffLineSettingsCommand{0x06, 0x03};
inline constexpr Command kEnterUpdateCommand{0x01, 0x09};
inline constexpr Command kAuxPollCommand{0x04, 0x0B};
inline constexpr Command kAuxTransferCommand{0x03, 0x06};

// A fresh random tag byte.
std::uint8_t NextTag();

// 0x55, a fresh tag, operation and area; every other byte 0.
CommandBlock MakeCommand(Command command);

inline std::uint8_t TagOf(const CommandBlock& block) { return block[1]; }

inline void PutU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Sum of the bytes modulo 65536.
std::uint16_t Checksum16(std::span<const std::uint8_t> bytes);

} // namespace scriba8
