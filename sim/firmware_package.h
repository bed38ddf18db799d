// SPDX-License-Identifier: MIT
// The virtual programmer's firmware packages: what FWCODE_3000.bin and
// FWCODE_3009.bin hold. A small header, then filler up to the image size.
//
//   bytes 0-3   "S8FW"
//   byte 4      kind: 1 = main firmware, 2 = auxiliary controller firmware
//   byte 5      flags: bit 0 = the firmware supports 8051-family targets
//   bytes 6-9   version, most significant byte first
//
// make_firmware_images.py writes them; the virtual programmer runs the
// version it finds in the last package it was given.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace scriba8::sim {

enum class FirmwareKind : std::uint8_t { Main = 1, Aux = 2 };

struct FirmwarePackage {
    FirmwareKind kind;
    bool supports8051;
    std::uint32_t version;
};

inline std::optional<FirmwarePackage> parseFirmwarePackage(std::span<const std::uint8_t> image) {
    if (image.size() < 10 || image[0] != 'S' || image[1] != '8' || image[2] != 'F' ||
        image[3] != 'W') {
        return std::nullopt;
    }
    if (image[4] != 1 && image[4] != 2) return std::nullopt;
    const std::uint32_t version = (std::uint32_t{image[6]} << 24) | (std::uint32_t{image[7]} << 16) |
                                  (std::uint32_t{image[8]} << 8) | image[9];
    return FirmwarePackage{static_cast<FirmwareKind>(image[4]), (image[5] & 1) != 0, version};
}

} // namespace scriba8::sim
