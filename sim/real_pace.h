// SPDX-License-Identifier: MIT
// How long the programmer and the chip in its socket take at real pace
// (SCRIBA8_VIRTUAL_PACE=real), in one place. Each time sits well inside the
// library's wait for the reply that follows it: a status reply arrives at
// most half-way through the wait (the pace test runs every export on every
// chip of the table to keep it so), and a pause of the programmer is shorter
// than the pause the library makes before talking to it again.
#pragma once

#include <cstdint>

namespace scriba8::sim::pace {

// The USB link: full-speed USB moves one 64-byte packet a millisecond.
inline constexpr std::uint32_t kPacketBytes = 64;
inline constexpr std::uint32_t kPacketMs = 1;

// The target: powering it and checking its identity, and switching it off.
inline constexpr std::uint32_t kPowerOnMs = 30;   // library waits 5000
inline constexpr std::uint32_t kPowerDownMs = 5;  // library waits 1000

// The chip's memories, per page of the chip's Flash page size.
inline constexpr std::uint32_t kPageWriteMs = 4;  // library waits length / 52 + 5000
inline constexpr std::uint32_t kPageEraseMs = 10; // library waits 30 per page + 1000

// The whole chip with its option bytes is one erase in the chip, whatever
// its size.
inline constexpr std::uint32_t kChipEraseMs = 250; // library waits 1000

// The option bytes, written together.
inline constexpr std::uint32_t kOptionWriteMs = 10; // library waits 1000

// Trimming the internal oscillator to a frequency.
inline constexpr std::uint32_t kTrimMs = 100; // library waits 5000

// The programmer itself.
inline constexpr std::uint32_t kBootLoaderStartMs = 1000; // library pauses 2000
inline constexpr std::uint32_t kFirmwareStartMs = 500;    // library pauses 1000
inline constexpr std::uint32_t kOffLinePrepareMs = 1500;  // library pauses 2000

} // namespace scriba8::sim::pace
