// SPDX-License-Identifier: MIT
// USB device nodes through hidapi: the only file that talks to it.
#include "link/usb_hid.h"

#include <hidapi.h>

#include <cerrno>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace scriba8 {
namespace {

// hidapi hands input reports over without the report id byte; the link
// expects it in byte 0, so the port puts it back.
constexpr std::size_t kInputReportLength = 1 + 64;

class UsbPort final : public HidPort {
  public:
    explicit UsbPort(hid_device* device) : device_(device) {}
    ~UsbPort() override { hid_close(device_); }
    UsbPort(const UsbPort&) = delete;
    UsbPort& operator=(const UsbPort&) = delete;

    bool setFeature(std::span<const std::uint8_t> report) override {
        return hid_send_feature_report(device_, report.data(), report.size()) >= 0;
    }

    bool getFeature(std::span<std::uint8_t> report) override {
        return hid_get_feature_report(device_, report.data(), report.size()) >= 0;
    }

    // hid_read_timeout is synchronous: when it returns, no read is left
    // outstanding that could write into the buffer later.
    std::size_t readInput(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        if (buffer.size() < 2) return 0;
        buffer[0] = 0;
        const int milliseconds = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(timeoutMs);
        const int got =
            hid_read_timeout(device_, buffer.data() + 1, buffer.size() - 1, milliseconds);
        return got > 0 ? static_cast<std::size_t>(got) + 1 : 0;
    }

    std::size_t inputReportLength() const override { return kInputReportLength; }

  private:
    hid_device* device_;
};

bool hidapiReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = hid_init() == 0; });
    return ready;
}

// hidapi gives serial numbers as wide text; programmers use plain ASCII.
std::string narrow(const wchar_t* text) {
    std::string out;
    for (; text != nullptr && *text != L'\0'; ++text)
        out += *text >= 0x20 && *text < 0x7F ? static_cast<char>(*text) : '?';
    return out;
}

} // namespace

std::vector<HidDeviceEntry> EnumerateUsbDevices(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<HidDeviceEntry> devices;
    if (!hidapiReady()) return devices;
    hid_device_info* found = hid_enumerate(vendorId, productId);
    for (hid_device_info* info = found; info != nullptr; info = info->next) {
        if (info->vendor_id != vendorId || (productId != 0 && info->product_id != productId))
            continue;
        devices.push_back({info->path != nullptr ? info->path : "", narrow(info->serial_number),
                           info->product_id});
    }
    hid_free_enumeration(found);
    return devices;
}

UsbPortOpening OpenUsbPort(const std::string& path) {
    UsbPortOpening opened;
    if (!hidapiReady()) return opened;
    errno = 0;
    if (hid_device* device = hid_open_path(path.c_str())) {
        opened.port = std::make_unique<UsbPort>(device);
        return opened;
    }
    // A device node we may not open usually means the udev rules are not
    // installed; the user is told so. The failed open's own errno counts
    // first: access() says yes to root.
    const bool openDenied = errno == EACCES || errno == EPERM;
    opened.permissionDenied =
        openDenied || (::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES);
    return opened;
}

} // namespace scriba8
