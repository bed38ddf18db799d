// SPDX-License-Identifier: MIT
#include "standin_hid_services.h"

#include "files/windows_text.h"
#include "link/usb_ids.h"
#include "sim/virtual_backend.h"
#include "sim/virtual_programmer.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace scriba8::standin {
namespace {

using sim::VirtualProgrammer;

constexpr ULONG_PTR kStatusPending = 0x00000103;
constexpr ULONG_PTR kStatusCancelled = 0xC0000120;
constexpr GUID kHidClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr std::size_t kFeatureDataBytes = 1024;
constexpr std::size_t kInputDataBytes = VirtualProgrammer::kInputReportLength - 1;

struct Programmer {
    ProgrammerDescription description;
    int index = 0; // place on the bus
    VirtualProgrammer model;
};

struct PendingRead {
    std::uint8_t* buffer;
    DWORD size;
    OVERLAPPED* overlapped;
};

// What a handle of CreateFileW points to.
struct Device {
    std::shared_ptr<Programmer> programmer;
    std::uint64_t connection = 0;
    bool forReports = false; // opened with access rights, not for attributes only
    bool overlapped = false;
    std::optional<PendingRead> pending;
};

// What SetupDiGetClassDevsW returns: the interfaces present when it was
// called, with their device paths.
struct Snapshot {
    std::vector<std::wstring> paths;
};

struct Preparsed {
    USHORT inputReportLength;
};

struct Bus {
    std::mutex mutex;
    std::vector<std::shared_ptr<Programmer>> programmers;
    std::set<const void*> devices;
    std::set<const void*> sets;
    std::set<const void*> preparsed;
    HidServicesLedger ledger;
};

Bus& bus() {
    static Bus* instance = new Bus; // handles may outlive static destruction
    return *instance;
}

// The product id a programmer answers under right now; 0 while it is off
// the bus (restarting).
USHORT presentProductId(VirtualProgrammer& model) {
    const UsbIds ids = programmerUsbIds();
    if (model.enumerates(ids.vendor, ids.product)) return ids.product;
    if (model.enumerates(ids.vendor, ids.bootLoader)) return ids.bootLoader;
    return 0;
}

// Like hardware, the programmer comes back under a new device path when it
// restarts with the other product id.
std::wstring pathOf(const Programmer& programmer, USHORT productId) {
    wchar_t path[128];
    std::swprintf(path, 128,
                  L"\\\\?\\hid#vid_%04x&pid_%04x#standin&%d&0000#"
                  L"{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  programmerUsbIds().vendor, productId, programmer.index);
    return path;
}

bool samePath(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

template <typename T> T fail(DWORD error, T result) {
    ::SetLastError(error);
    return result;
}

Device* deviceOf(Bus& b, HANDLE handle) {
    return b.devices.contains(handle) ? static_cast<Device*>(handle) : nullptr;
}

// Hands a report (report id in byte 0) to the pending read and finishes it.
void finish(Bus& b, Device& device, std::span<const std::uint8_t> report, std::size_t got) {
    const PendingRead read = *device.pending;
    device.pending.reset();
    --b.ledger.pendingReads;
    const std::size_t reportBytes =
        1 + std::min(device.programmer->description.inputBytes.value_or(kInputDataBytes), got - 1);
    const std::size_t n = std::min<std::size_t>(read.size, reportBytes);
    std::copy_n(report.begin(), n, read.buffer);
    read.overlapped->Internal = 0;
    read.overlapped->InternalHigh = n;
    if (read.overlapped->hEvent != nullptr) ::SetEvent(read.overlapped->hEvent);
}

void cancel(Bus& b, Device& device) {
    OVERLAPPED* overlapped = device.pending->overlapped;
    device.pending.reset();
    --b.ledger.pendingReads;
    ++b.ledger.cancelledReads;
    overlapped->Internal = kStatusCancelled;
    overlapped->InternalHigh = 0;
    if (overlapped->hEvent != nullptr) ::SetEvent(overlapped->hEvent);
}

// Takes the next input report within timeoutMs of the model's clock.
bool takeReport(Bus& b, Device& device, DWORD timeoutMs) {
    std::array<std::uint8_t, VirtualProgrammer::kInputReportLength> report{};
    const std::size_t got =
        device.programmer->model.readInput(device.connection, report, timeoutMs);
    if (got <= 1) return false;
    finish(b, device, report, got);
    return true;
}

// ---- Device setup services ---------------------------------------------------

void WINAPI getHidGuid(LPGUID guid) { *guid = kHidClass; }

HDEVINFO WINAPI getClassDevs(const GUID* guid, PCWSTR, HWND, DWORD flags) {
    if (guid == nullptr || !IsEqualGUID(*guid, kHidClass) ||
        flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
        return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    }
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    auto* snapshot = new Snapshot;
    for (const auto& programmer : b.programmers) {
        const USHORT productId = presentProductId(programmer->model);
        if (productId != 0) snapshot->paths.push_back(pathOf(*programmer, productId));
    }
    b.sets.insert(snapshot);
    ++b.ledger.openSets;
    return snapshot;
}

BOOL WINAPI enumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID* guid, DWORD index,
                                 PSP_DEVICE_INTERFACE_DATA data) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (!b.sets.contains(set) || guid == nullptr || !IsEqualGUID(*guid, kHidClass))
        return fail(ERROR_INVALID_HANDLE, FALSE);
    if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return fail(ERROR_INVALID_USER_BUFFER, FALSE);
    if (index >= static_cast<Snapshot*>(set)->paths.size()) return fail(ERROR_NO_MORE_ITEMS, FALSE);
    data->InterfaceClassGuid = kHidClass;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI getInterfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                               PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                               PDWORD required, PSP_DEVINFO_DATA) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (!b.sets.contains(set) || data == nullptr) return fail(ERROR_INVALID_HANDLE, FALSE);
    const auto& paths = static_cast<Snapshot*>(set)->paths;
    if (data->Reserved >= paths.size()) return fail(ERROR_NO_MORE_ITEMS, FALSE);
    const std::wstring& path = paths[data->Reserved];
    const DWORD needed =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                           (path.size() + 1) * sizeof(wchar_t));
    if (required != nullptr) *required = needed;
    if (detail == nullptr || size < needed) return fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return fail(ERROR_INVALID_USER_BUFFER, FALSE);
    std::copy_n(path.c_str(), path.size() + 1, detail->DevicePath);
    return TRUE;
}

BOOL WINAPI destroyDeviceInfoList(HDEVINFO set) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (b.sets.erase(set) == 0) return fail(ERROR_INVALID_HANDLE, FALSE);
    delete static_cast<Snapshot*>(set);
    --b.ledger.openSets;
    return TRUE;
}

// ---- Handles -----------------------------------------------------------------

HANDLE WINAPI createFile(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES,
                         DWORD disposition, DWORD flags, HANDLE) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (disposition != OPEN_EXISTING) return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    for (const auto& programmer : b.programmers) {
        const USHORT productId = presentProductId(programmer->model);
        if (productId == 0 || !samePath(pathOf(*programmer, productId), path)) continue;
        const bool forReports = (access & (GENERIC_READ | GENERIC_WRITE)) != 0;
        if (forReports && programmer->description.denied)
            return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
        auto* device = new Device;
        device->programmer = programmer;
        device->forReports = forReports;
        device->overlapped = (flags & FILE_FLAG_OVERLAPPED) != 0;
        if (forReports) device->connection = programmer->model.connect();
        b.devices.insert(device);
        ++b.ledger.openHandles;
        return device;
    }
    return fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
}

BOOL WINAPI closeHandle(HANDLE handle) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    if (device == nullptr) return ::CloseHandle(handle);
    // Closing a handle cancels what is still outstanding on it.
    if (device->pending) cancel(b, *device);
    b.devices.erase(device);
    delete device;
    --b.ledger.openHandles;
    return TRUE;
}

// ---- HID class driver --------------------------------------------------------

BOOLEAN __stdcall getAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    if (device == nullptr || attributes->Size != sizeof(HIDD_ATTRIBUTES))
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    attributes->VendorID = programmerUsbIds().vendor;
    attributes->ProductID = presentProductId(device->programmer->model);
    attributes->VersionNumber = 0x0100;
    return TRUE;
}

BOOLEAN __stdcall getSerialNumberString(HANDLE handle, PVOID buffer, ULONG length) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    if (device == nullptr) return fail(ERROR_INVALID_HANDLE, FALSE);
    const std::wstring serial = files::wideFromUtf8(device->programmer->description.serial);
    if ((serial.size() + 1) * sizeof(wchar_t) > length)
        return fail(ERROR_INVALID_USER_BUFFER, FALSE);
    std::copy_n(serial.c_str(), serial.size() + 1, static_cast<wchar_t*>(buffer));
    return TRUE;
}

BOOLEAN __stdcall getPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* data) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (deviceOf(b, handle) == nullptr) return fail(ERROR_INVALID_HANDLE, FALSE);
    auto* preparsed = new Preparsed{VirtualProgrammer::kInputReportLength};
    b.preparsed.insert(preparsed);
    ++b.ledger.openPreparsed;
    *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(preparsed);
    return TRUE;
}

NTSTATUS __stdcall getCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (!b.preparsed.contains(data)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *caps = HIDP_CAPS{};
    caps->UsagePage = 0xFF00;
    caps->Usage = 0x0001;
    caps->InputReportByteLength = reinterpret_cast<Preparsed*>(data)->inputReportLength;
    caps->FeatureReportByteLength = 1 + kFeatureDataBytes;
    return HIDP_STATUS_SUCCESS;
}

BOOLEAN __stdcall freePreparsedData(PHIDP_PREPARSED_DATA data) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (b.preparsed.erase(data) == 0) return FALSE;
    delete reinterpret_cast<Preparsed*>(data);
    --b.ledger.openPreparsed;
    return TRUE;
}

// Feature reports go to the device as they are: the programmer has no
// numbered reports, so byte 0 must be 0.
BOOLEAN __stdcall setFeature(HANDLE handle, PVOID buffer, ULONG length) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (device == nullptr || !device->forReports || length == 0 || bytes[0] != 0)
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    if (!device->programmer->model.setFeature(device->connection, std::span(bytes, length)))
        return fail(ERROR_GEN_FAILURE, FALSE);
    return TRUE;
}

BOOLEAN __stdcall getFeature(HANDLE handle, PVOID buffer, ULONG length) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    if (device == nullptr || !device->forReports || length == 0 || bytes[0] != 0)
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    std::vector<std::uint8_t> report(1 + kFeatureDataBytes, 0);
    if (!device->programmer->model.getFeature(device->connection, report))
        return fail(ERROR_GEN_FAILURE, FALSE);
    const std::size_t reportBytes =
        device->programmer->description.featureBytes.value_or(kFeatureDataBytes);
    const std::size_t n = std::min({std::size_t{length} - 1, reportBytes, kFeatureDataBytes});
    std::copy_n(report.begin() + 1, n, bytes + 1);
    return TRUE;
}

// ---- Overlapped input-report reads ----------------------------------------------

BOOL WINAPI readFile(HANDLE handle, LPVOID buffer, DWORD size, LPDWORD read,
                     LPOVERLAPPED overlapped) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    if (device == nullptr) return ::ReadFile(handle, buffer, size, read, overlapped);
    // A handle not opened overlapped would block in ReadFile itself.
    if (!device->forReports || !device->overlapped || overlapped == nullptr || device->pending)
        return fail(ERROR_INVALID_PARAMETER, FALSE);
    device->pending = PendingRead{static_cast<std::uint8_t*>(buffer), size, overlapped};
    ++b.ledger.pendingReads;
    overlapped->Internal = kStatusPending;
    if (takeReport(b, *device, 0)) {
        if (read != nullptr) *read = static_cast<DWORD>(overlapped->InternalHigh);
        ::SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    return fail(ERROR_IO_PENDING, FALSE);
}

// A wait for the event of a pending read is where the device model's time
// passes: the report comes within the wait, or the wait times out.
DWORD WINAPI waitForSingleObject(HANDLE event, DWORD timeoutMs) {
    Bus& b = bus();
    {
        const std::lock_guard lock(b.mutex);
        for (const void* handle : b.devices) {
            auto* device = static_cast<Device*>(const_cast<void*>(handle));
            if (!device->pending || device->pending->overlapped->hEvent != event) continue;
            if (!takeReport(b, *device, timeoutMs)) return WAIT_TIMEOUT;
            timeoutMs = 0; // finished: the event is set
            break;
        }
    }
    return ::WaitForSingleObject(event, timeoutMs);
}

BOOL WINAPI getOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                                BOOL wait) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    if (device == nullptr) return ::GetOverlappedResult(handle, overlapped, transferred, wait);
    if (device->pending && device->pending->overlapped == overlapped) {
        if (!wait) return fail(ERROR_IO_INCOMPLETE, FALSE);
        // No report will ever come: the caller would wait here for good.
        ++b.ledger.readsLeftBlocking;
        return fail(ERROR_IO_INCOMPLETE, FALSE);
    }
    *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    if (overlapped->Internal == kStatusCancelled) return fail(ERROR_OPERATION_ABORTED, FALSE);
    return TRUE;
}

BOOL WINAPI cancelIoEx(HANDLE handle, LPOVERLAPPED overlapped) {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    Device* device = deviceOf(b, handle);
    if (device == nullptr) return ::CancelIoEx(handle, overlapped);
    if (!device->pending || (overlapped != nullptr && device->pending->overlapped != overlapped))
        return fail(ERROR_NOT_FOUND, FALSE);
    cancel(b, *device);
    return TRUE;
}

constexpr WindowsHidApi kStandin{
    &getHidGuid,
    &getClassDevs,
    &enumDeviceInterfaces,
    &getInterfaceDetail,
    &destroyDeviceInfoList,
    &createFile,
    &closeHandle,
    &getAttributes,
    &getSerialNumberString,
    &getPreparsedData,
    &getCaps,
    &freePreparsedData,
    &setFeature,
    &getFeature,
    &readFile,
    &waitForSingleObject,
    &getOverlappedResult,
    &cancelIoEx,
};

} // namespace

bool StandinHidServices::install(std::string_view description) {
    auto parsed = parseBusSpec(description);
    if (std::holds_alternative<std::string>(parsed)) return false;
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    b.programmers.clear();
    b.ledger = {};
    int index = 0;
    for (ProgrammerDescription& wanted : std::get<std::vector<ProgrammerDescription>>(parsed)) {
        auto programmer = std::make_shared<Programmer>();
        programmer->index = index++;
        programmer->description = std::move(wanted);
        sim::applyFaultSpec(programmer->model, programmer->description.faults);
        if (programmer->description.bootLoader) {
            std::string state = programmer->model.saveState();
            const std::string normal = "personality normal";
            if (const auto at = state.find(normal); at != std::string::npos)
                state.replace(at, normal.size(), "personality boot-loader");
            programmer->model.loadState(state);
        }
        b.programmers.push_back(std::move(programmer));
    }
    setWindowsHidApiOverride(&kStandin);
    return true;
}

StandinHidServices::~StandinHidServices() { setWindowsHidApiOverride(nullptr); }

std::string StandinHidServices::devicePath(std::size_t index) const {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    if (index >= b.programmers.size()) return "";
    Programmer& programmer = *b.programmers[index];
    return files::utf8FromWide(pathOf(programmer, presentProductId(programmer.model)));
}

HidServicesLedger StandinHidServices::ledger() const {
    Bus& b = bus();
    const std::lock_guard lock(b.mutex);
    return b.ledger;
}

} // namespace scriba8::standin
