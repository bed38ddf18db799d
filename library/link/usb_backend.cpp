// SPDX-License-Identifier: MIT
// The USB backend: which programmer a selection means, and opening it under
// its lock. Finding and opening device nodes is the system's part
// (usb_hid_posix.cpp, usb_hid_windows.cpp).
#include "link/usb_hid.h"
#include "link/usb_ids.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace scriba8 {
namespace {

class UsbBackend final : public HidBackend {
  public:
    OpenResult open(std::uint16_t vendorId, std::uint16_t productId) override {
        OpenResult result;
        const std::optional<ProgrammerSelection> selection =
            ParseProgrammerSelection(ProgrammerEnvironment());
        if (!selection) {
            result.problem = UnknownSelectionText(ProgrammerEnvironment());
            return result;
        }
        const std::vector<HidDeviceEntry> devices = EnumerateUsbDevices(vendorId, productId);
        const bool bootLoader = productId == BootLoaderProductId();
        std::vector<std::size_t> candidates;
        if (selection->kind == ProgrammerSelection::Kind::firstUsb) {
            for (std::size_t i = 0; i < devices.size(); ++i)
                candidates.push_back(i);
        } else if (const auto chosen = ChooseDevice(devices, *selection, bootLoader)) {
            candidates.push_back(*chosen);
        }
        // A programmer this process holds is the one its exports use.
        std::stable_partition(candidates.begin(), candidates.end(), [&](std::size_t i) {
            return DeviceLock::isHeld(devices[i].path);
        });
        for (std::size_t i : candidates) {
            OpenResult attempt = OpenUsbDevice(devices[i].path, LockWait::wait);
            if (attempt.port) return attempt;
            // The first node we may not open is the one the user is told about.
            if (attempt.permissionDenied && !result.permissionDenied) {
                result.permissionDenied = true;
                result.devicePath = attempt.devicePath;
            }
        }
        return result;
    }
};

} // namespace

OpenResult OpenUsbDevice(const std::string& path, LockWait wait) {
    OpenResult result;
    DeviceLock::Attempt lock = DeviceLock::acquire(path, false, wait);
    if (lock.busy) {
        result.busy = true;
        result.devicePath = path;
        return result;
    }
    UsbPortOpening opened = OpenUsbPort(path);
    if (opened.port) {
        result.port = std::move(opened.port);
        result.lock = std::move(lock.lock);
    } else if (opened.permissionDenied) {
        result.permissionDenied = true;
        result.devicePath = path;
    }
    return result;
}

HidBackend& usbBackend() {
    static UsbBackend backend;
    return backend;
}

} // namespace scriba8
