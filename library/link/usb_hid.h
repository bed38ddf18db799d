// SPDX-License-Identifier: MIT
// The USB side of the link: the programmers the system enumerates, and
// opening one device node under its lock. The USB backend and the programmer
// listing both go through these, so a device is found and opened one way
// only.
#pragma once

#include "link/hid_port.h"
#include "link/programmer_selection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scriba8 {

// The devices with this vendor id and product id (0: any product), in
// enumeration order.
std::vector<HidDeviceEntry> EnumerateUsbDevices(std::uint16_t vendorId, std::uint16_t productId);

// Opens the device node at path holding its lock. With dontWait, a device
// that another process holds is left alone and reported busy.
OpenResult OpenUsbDevice(const std::string& path, LockWait wait);

// The system's part: the device node at path opened for reports, or why not.
struct UsbPortOpening {
    std::unique_ptr<HidPort> port;
    bool permissionDenied = false; // the user may not open it
};
UsbPortOpening OpenUsbPort(const std::string& path);

} // namespace scriba8
