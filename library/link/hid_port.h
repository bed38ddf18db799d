// SPDX-License-Identifier: MIT
// The few HID operations the programmer link needs, behind an interface so
// the link runs unchanged over USB (hidapi) and over the virtual programmer.
//
// Report buffers always start with the report id byte (0 for the
// programmer), so byte positions are the same whatever the backend.
#pragma once

#include "link/device_lock.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace scriba8 {

class HidPort {
public:
    virtual ~HidPort() = default;

    // Hands the whole report (id byte included) to the device.
    virtual bool setFeature(std::span<const std::uint8_t> report) = 0;

    // report[0] holds the report id on entry; the device fills the rest.
    // False when the device refused the request.
    virtual bool getFeature(std::span<std::uint8_t> report) = 0;

    // Waits up to timeoutMs for one input report and stores it from byte 0
    // (the report id) on. Returns the report's length, 0 when none came.
    // Nothing is written into buffer after the call returns.
    virtual std::size_t readInput(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) = 0;

    // Length of an input report, report id included.
    virtual std::size_t inputReportLength() const = 0;

    // Ends the use of the device; false when what was done could not be
    // kept (the virtual programmer's state file could not be saved).
    virtual bool close() { return true; }
};

struct OpenResult {
    // Held while the port is open, and released after it is closed: declared
    // first, so a result dropped unused closes its port before the lock goes.
    std::unique_ptr<DeviceLock> lock;
    std::unique_ptr<HidPort> port; // null when nothing was opened
    // Why nothing could be opened, when the user can do something about it
    // (a programmer selection that is not understood).
    std::string problem;
    // A matching device exists but the user may not open it, or (when the
    // open was not to wait) another process holds it; devicePath says which.
    bool permissionDenied = false;
    bool busy = false;
    std::string devicePath;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Opens the device with both ids that SCRIBA8_PROGRAMMER selects (the
    // first in enumeration order unless it names one), holding its lock.
    virtual OpenResult open(std::uint16_t vendorId, std::uint16_t productId) = 0;
};

// hidapi on the USB devices of this computer.
HidBackend& usbBackend();

// The backend the link uses: the test override when set, else the virtual
// programmer when SCRIBA8_PROGRAMMER=virtual, else USB; a value that is not
// understood gives a backend that opens nothing and says why.
HidBackend& activeBackend();

// Replaces the backend for tests; null restores the normal choice.
void setBackendOverride(HidBackend* backend);

} // namespace scriba8
