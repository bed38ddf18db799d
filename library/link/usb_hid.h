// SPDX-License-Identifier: MIT
// The USB side of the link: the programmers hidapi enumerates, and opening
// one device node under its lock. The USB backend and the programmer listing
// both go through these, so a device is found and opened one way only.
#pragma once

#include "link/hid_port.h"
#include "link/programmer_selection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scriba8 {

// The devices with this vendor id and product id (0: any product), in
// enumeration order.
std::vector<HidDeviceEntry> EnumerateUsbDevices(std::uint16_t vendorId, std::uint16_t productId);

// Opens the device node at path holding its lock. With dontWait, a device
// that another process holds is left alone and reported busy.
OpenResult OpenUsbDevice(const std::string& path, LockWait wait);

} // namespace scriba8
