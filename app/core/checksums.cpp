// SPDX-License-Identifier: MIT
#include "checksums.h"

#include <algorithm>

namespace scriba8::app {

std::uint16_t Checksum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t ChipChecksum(std::span<const std::uint8_t> flash, std::uint32_t flashSize) {
    const std::size_t counted = std::min<std::size_t>(flash.size(), flashSize);
    const std::uint32_t padding = flashSize - static_cast<std::uint32_t>(counted);
    return static_cast<std::uint16_t>(Checksum16(flash.first(counted)) + padding * 0xFFu);
}

FlashSummary SummarizeFlash(std::span<const std::uint8_t> flash, std::uint32_t flashSize) {
    return {static_cast<std::uint32_t>(flash.size()), Checksum16(flash),
            ChipChecksum(flash, flashSize)};
}

} // namespace scriba8::app
