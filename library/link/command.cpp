// SPDX-License-Identifier: MIT
#include "link/command.h"

#include <numeric>
#include <random>

namespace scriba8 {

std::uint8_t NextTag() {
    // The programmer only echoes the tag; randomness just makes a stale reply
    // unlikely to pass for the answer to a new command. One generator per
    // thread: production runs drive several programmers at once.
    thread_local std::mt19937 generator{std::random_device{}()};
    return static_cast<std::uint8_t>(generator() & 0xFF);
}

CommandBlock MakeCommand(Command command) {
    CommandBlock block{};
    block[0] = 0x55;
    block[1] = NextTag();
    block[2] = command.operation;
    block[3] = command.area;
    return block;
}

std::uint16_t Checksum16(std::span<const std::uint8_t> bytes) {
    return static_cast<std::uint16_t>(
        std::accumulate(bytes.begin(), bytes.end(), std::uint32_t{0},
                        [](std::uint32_t sum, std::uint8_t byte) { return (sum + byte) & 0xFFFF; }));
}

} // namespace scriba8
