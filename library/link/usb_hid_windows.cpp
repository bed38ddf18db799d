// SPDX-License-Identifier: MIT
// USB programmers through the system's HID class driver and device setup
// services: enumeration by vendor and product id, feature reports, and
// input reports read overlapped with a time-out.
#include "link/usb_hid.h"
#include "link/windows_hid_api.h"

#include "files/windows_text.h"

#include <vector>

namespace scriba8 {
namespace {

class Event {
  public:
    // Auto-reset, not signalled.
    Event() : handle_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~Event() {
        if (handle_ != nullptr) ::CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

class WindowsHidPort final : public HidPort {
  public:
    WindowsHidPort(const WindowsHidApi& api, HANDLE device, std::size_t inputLength)
        : api_(api), device_(device), inputLength_(inputLength) {}
    ~WindowsHidPort() override { api_.CloseHandle(device_); }
    WindowsHidPort(const WindowsHidPort&) = delete;
    WindowsHidPort& operator=(const WindowsHidPort&) = delete;

    bool setFeature(std::span<const std::uint8_t> report) override {
        // The driver takes a writable buffer; the caller's stays as it was.
        std::vector<std::uint8_t> copy(report.begin(), report.end());
        return api_.HidD_SetFeature(device_, copy.data(), static_cast<ULONG>(copy.size())) != FALSE;
    }

    bool getFeature(std::span<std::uint8_t> report) override {
        return api_.HidD_GetFeature(device_, report.data(), static_cast<ULONG>(report.size())) !=
               FALSE;
    }

    std::size_t readInput(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        const Event done;
        if (buffer.empty() || done.get() == nullptr) return 0;
        OVERLAPPED read{};
        read.hEvent = done.get();
        DWORD got = 0;
        if (!api_.ReadFile(device_, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                           &read)) {
            if (::GetLastError() != ERROR_IO_PENDING) return 0;
            if (api_.WaitForSingleObject(done.get(), timeoutMs) != WAIT_OBJECT_0) {
                // The read is still outstanding and would write into buffer
                // later: cancel it and wait until it has ended. A report
                // that came in the meantime is kept.
                api_.CancelIoEx(device_, &read);
                return api_.GetOverlappedResult(device_, &read, &got, TRUE) ? got : 0;
            }
        }
        return api_.GetOverlappedResult(device_, &read, &got, FALSE) ? got : 0;
    }

    std::size_t inputReportLength() const override { return inputLength_; }

  private:
    const WindowsHidApi& api_;
    HANDLE device_;
    std::size_t inputLength_;
};

// The device path of one interface of the enumeration set.
std::wstring interfacePath(const WindowsHidApi& api, HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data) {
    DWORD needed = 0;
    api.SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
    // The detail is a header followed by the path; kept in DWORDs so the
    // header is aligned.
    std::vector<DWORD> storage((needed + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!api.SetupDiGetDeviceInterfaceDetailW(set, &data, detail, needed, nullptr, nullptr))
        return {};
    return detail->DevicePath;
}

// Serial numbers of programmers are plain ASCII.
std::string narrowSerial(const wchar_t* text) {
    std::string out;
    for (; *text != L'\0'; ++text)
        out += *text >= 0x20 && *text < 0x7F ? static_cast<char>(*text) : '?';
    return out;
}

// The input report length from the device's capabilities, report id
// included; 0 when they cannot be read.
std::size_t inputReportLength(const WindowsHidApi& api, HANDLE device) {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!api.HidD_GetPreparsedData(device, &preparsed)) return 0;
    HIDP_CAPS caps{};
    const bool read = api.HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    api.HidD_FreePreparsedData(preparsed);
    return read ? caps.InputReportByteLength & 0xFF : 0;
}

} // namespace

std::vector<HidDeviceEntry> EnumerateUsbDevices(std::uint16_t vendorId, std::uint16_t productId) {
    const WindowsHidApi& api = windowsHidApi();
    std::vector<HidDeviceEntry> devices;
    GUID hidClass{};
    api.HidD_GetHidGuid(&hidClass);
    const HDEVINFO set = api.SetupDiGetClassDevsW(&hidClass, nullptr, nullptr,
                                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return devices;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!api.SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &data)) break;
        const std::wstring path = interfacePath(api, set, data);
        if (path.empty()) continue;
        // No access rights are needed for the identity, so a device that
        // another program has open is still listed.
        const HANDLE device = api.CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, 0, nullptr);
        if (device == INVALID_HANDLE_VALUE) continue;
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof attributes;
        const bool matches = api.HidD_GetAttributes(device, &attributes) &&
                             attributes.VendorID == vendorId &&
                             (productId == 0 || attributes.ProductID == productId);
        wchar_t serial[127] = {};
        if (matches &&
            !api.HidD_GetSerialNumberString(device, serial, sizeof serial - sizeof(wchar_t)))
            serial[0] = L'\0';
        api.CloseHandle(device);
        if (matches)
            devices.push_back(
                {files::utf8FromWide(path), narrowSerial(serial), attributes.ProductID});
    }
    api.SetupDiDestroyDeviceInfoList(set);
    return devices;
}

UsbPortOpening OpenUsbPort(const std::string& path) {
    const WindowsHidApi& api = windowsHidApi();
    UsbPortOpening opened;
    const HANDLE device = api.CreateFileW(
        files::wideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        // Another program holds the device for itself, or the system keeps it.
        const DWORD error = ::GetLastError();
        opened.permissionDenied = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        return opened;
    }
    const std::size_t inputLength = inputReportLength(api, device);
    if (inputLength < 2) {
        api.CloseHandle(device);
        return opened;
    }
    opened.port = std::make_unique<WindowsHidPort>(api, device, inputLength);
    return opened;
}

} // namespace scriba8
