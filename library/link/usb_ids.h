// SPDX-License-Identifier: MIT
// USB identity of the programmer. The built-in values are placeholders (the
// pid.codes test vendor); SCRIBA8_USB_IDS=vid:pid:bootpid (hex) replaces
// them to match the hardware in use.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace scriba8 {

struct UsbIds {
    std::uint16_t vendor;
    std::uint16_t product;    // normal firmware
    std::uint16_t bootLoader; // main-firmware boot loader
};

inline constexpr UsbIds kDefaultUsbIds{0x1209, 0x0001, 0x0002};

// "vid:pid:bootpid" in hex, with or without 0x; nothing when malformed or
// when the two product ids are equal.
std::optional<UsbIds> parseUsbIds(std::string_view text);

// The ids in force: SCRIBA8_USB_IDS when set and valid, else the defaults.
UsbIds programmerUsbIds();

inline std::uint16_t ProgrammerVendorId() { return programmerUsbIds().vendor; }
inline std::uint16_t ProgrammerProductId() { return programmerUsbIds().product; }
inline std::uint16_t BootLoaderProductId() { return programmerUsbIds().bootLoader; }

} // namespace scriba8
