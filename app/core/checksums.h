// SPDX-License-Identifier: MIT
// The 16-bit byte sums shown beside the buffers and sent with the images.
#pragma once

#include <cstdint>
#include <span>

namespace scriba8::app {

// Sum of the bytes modulo 65536.
std::uint16_t Checksum16(std::span<const std::uint8_t> bytes);

// Sum over the chip's whole Flash: the buffer's bytes, then 0xFF for every
// byte of the chip beyond the buffer. Buffer bytes beyond the chip's size do
// not count.
std::uint16_t ChipChecksum(std::span<const std::uint8_t> flash, std::uint32_t flashSize);

// What the Flash page shows after a load or a dump.
struct FlashSummary {
    std::uint32_t length = 0;
    std::uint16_t bufferChecksum = 0;
    std::uint16_t chipChecksum = 0;
};
FlashSummary SummarizeFlash(std::span<const std::uint8_t> flash, std::uint32_t flashSize);

} // namespace scriba8::app
