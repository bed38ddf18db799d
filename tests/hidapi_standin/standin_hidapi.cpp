// SPDX-License-Identifier: MIT
// A stand-in for libhidapi-hidraw, for tests only: the same exported
// functions with hidapi's conventions (report id in byte 0 of feature reports
// and in their counts, input reports without it, -1 or NULL on failure and a
// reason from hid_error), but the programmers on its bus are the virtual
// programmer's device model. Placed first on the library path, it lets the
// shipped library and scriba8 run their USB code end to end.
//
//   SCRIBA8_HIDAPI_STANDIN=<bus>        the programmers (grammar in bus_description.h)
//   SCRIBA8_HIDAPI_STANDIN_STATE=<dir>  each programmer's state in DIR/SERIAL.state,
//                                       loaded with the bus, saved at hid_close
//   SCRIBA8_HIDAPI_STANDIN_NODES=<dir>  device nodes are the files DIR/hidrawN (made
//                                       with the bus), so a test can lock them as
//                                       another process would; /dev/standin/hidrawN
//                                       (which do not exist) otherwise
//
// The bus is built again whenever one of these variables changes.
#include "bus_description.h"

#include "link/usb_ids.h"
#include "sim/virtual_backend.h"
#include "sim/virtual_programmer.h"

#include <hidapi.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using scriba8::sim::VirtualProgrammer;
using scriba8::standin::ProgrammerDescription;

constexpr std::size_t kFeatureDataBytes = 1024;
constexpr std::size_t kInputReportBytes = VirtualProgrammer::kInputReportLength - 1;

struct Programmer {
    ProgrammerDescription description;
    std::string path;
    VirtualProgrammer model;
};

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::wstring widened(std::string_view text) { return {text.begin(), text.end()}; }

wchar_t* newWideString(std::string_view text) {
    const std::wstring wide = widened(text);
    auto* copy = static_cast<wchar_t*>(std::malloc((wide.size() + 1) * sizeof(wchar_t)));
    if (copy != nullptr) std::wmemcpy(copy, wide.c_str(), wide.size() + 1);
    return copy;
}

std::string statePath(const std::string& folder, const Programmer& programmer) {
    return folder + "/" + programmer.description.serial + ".state";
}

class Bus {
public:
    std::mutex mutex;
    std::wstring globalError = L"Success";

    // The programmers as the environment describes them now.
    std::vector<std::shared_ptr<Programmer>>& programmers() {
        const std::string description = environment("SCRIBA8_HIDAPI_STANDIN");
        const std::string folder = environment("SCRIBA8_HIDAPI_STANDIN_STATE");
        const std::string nodes = environment("SCRIBA8_HIDAPI_STANDIN_NODES");
        if (!built_ || description != description_ || folder != stateFolder_ ||
            nodes != nodeFolder_) {
            build(description, folder, nodes);
        }
        return programmers_;
    }

    void saveState(const Programmer& programmer) const {
        if (stateFolder_.empty()) return;
        const std::string path = statePath(stateFolder_, programmer);
        const std::string temporary = path + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out << programmer.model.saveState();
            if (!out) return;
        }
        std::error_code ignored;
        std::filesystem::rename(temporary, path, ignored);
    }

private:
    void build(const std::string& description, const std::string& folder,
               const std::string& nodes) {
        built_ = true;
        description_ = description;
        stateFolder_ = folder;
        nodeFolder_ = nodes;
        programmers_.clear();
        auto parsed = scriba8::standin::parseBusSpec(description);
        if (auto* error = std::get_if<std::string>(&parsed)) {
            std::fprintf(stderr, "hidapi stand-in: SCRIBA8_HIDAPI_STANDIN ignored: %s\n",
                         error->c_str());
            return;
        }
        int index = 0;
        for (ProgrammerDescription& wanted : std::get<std::vector<ProgrammerDescription>>(parsed)) {
            auto programmer = std::make_shared<Programmer>();
            programmer->path =
                (nodes.empty() ? "/dev/standin" : nodes) + "/hidraw" + std::to_string(index++);
            if (!nodes.empty()) std::ofstream(programmer->path, std::ios::app);
            programmer->description = std::move(wanted);
            scriba8::sim::applyFaultSpec(programmer->model, programmer->description.faults);
            if (programmer->description.bootLoader) startInBootLoader(programmer->model);
            if (!folder.empty()) loadState(*programmer, folder);
            programmers_.push_back(std::move(programmer));
        }
    }

    static void startInBootLoader(VirtualProgrammer& model) {
        std::string state = model.saveState();
        const std::string normal = "personality normal";
        if (const auto at = state.find(normal); at != std::string::npos) {
            state.replace(at, normal.size(), "personality boot-loader");
        }
        model.loadState(state);
    }

    static void loadState(Programmer& programmer, const std::string& folder) {
        std::ifstream in(statePath(folder, programmer), std::ios::binary);
        if (!in) return; // a new programmer
        std::stringstream text;
        text << in.rdbuf();
        if (!programmer.model.loadState(text.str())) {
            std::fprintf(stderr, "hidapi stand-in: cannot read the state of %s\n",
                         programmer.description.serial.c_str());
        }
    }

    bool built_ = false;
    std::string description_;
    std::string stateFolder_;
    std::string nodeFolder_;
    std::vector<std::shared_ptr<Programmer>> programmers_;
};

Bus& bus() {
    static Bus* instance = new Bus; // handles may outlive static destruction
    return *instance;
}

// The product id a programmer answers under right now; 0 while it is off the
// bus (restarting, or absent).
unsigned short presentProductId(VirtualProgrammer& model) {
    const scriba8::UsbIds ids = scriba8::programmerUsbIds();
    if (model.enumerates(ids.vendor, ids.product)) return ids.product;
    if (model.enumerates(ids.vendor, ids.bootLoader)) return ids.bootLoader;
    return 0;
}

} // namespace

struct hid_device_ {
    std::shared_ptr<Programmer> programmer;
    std::uint64_t connection = 0;
    std::wstring error = L"Success";
};

namespace {

int fail(hid_device* device, const std::wstring& reason) {
    device->error = reason;
    return -1;
}

} // namespace

// The project builds with hidden visibility; these are the library's face.
#define EXPORTED __attribute__((visibility("default")))

extern "C" {

int EXPORTED hid_init(void) { return 0; }

int EXPORTED hid_exit(void) { return 0; }

struct hid_device_info EXPORTED* hid_enumerate(unsigned short vendor_id,
                                                     unsigned short product_id) {
    Bus& b = bus();
    std::lock_guard lock(b.mutex);
    const scriba8::UsbIds ids = scriba8::programmerUsbIds();
    hid_device_info* first = nullptr;
    hid_device_info** tail = &first;
    for (const auto& programmer : b.programmers()) {
        const unsigned short present = presentProductId(programmer->model);
        if (present == 0) continue;
        if (vendor_id != 0 && vendor_id != ids.vendor) continue;
        if (product_id != 0 && product_id != present) continue;
        auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        if (info == nullptr) break;
        const bool bootLoader = present == ids.bootLoader;
        info->path = strdup(programmer->path.c_str());
        info->vendor_id = ids.vendor;
        info->product_id = present;
        info->serial_number = newWideString(programmer->description.serial);
        info->release_number = 0x0100;
        info->manufacturer_string = newWideString("Scriba8");
        info->product_string = newWideString(bootLoader ? "T3Plus boot loader" : "T3Plus");
        info->usage_page = 0xFF00;
        info->usage = 0x0001;
        info->interface_number = 0;
        info->bus_type = HID_API_BUS_USB;
        *tail = info;
        tail = &info->next;
    }
    b.globalError = first != nullptr ? L"Success" : L"No HID devices found in the system.";
    return first;
}

void EXPORTED hid_free_enumeration(struct hid_device_info* devs) {
    while (devs != nullptr) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

EXPORTED hid_device* hid_open_path(const char* path) {
    Bus& b = bus();
    std::lock_guard lock(b.mutex);
    const std::string wanted = path != nullptr ? path : "";
    for (const auto& programmer : b.programmers()) {
        if (programmer->path != wanted || presentProductId(programmer->model) == 0) continue;
        if (programmer->description.denied) {
            b.globalError = L"Failed to open a device with path '" + widened(wanted) +
                            L"': Permission denied";
            errno = EACCES;
            return nullptr;
        }
        auto* device = new hid_device_;
        device->programmer = programmer;
        device->connection = programmer->model.connect();
        b.globalError = L"Success";
        return device;
    }
    b.globalError = L"Failed to open a device with path '" + widened(wanted) +
                    L"': No such file or directory";
    errno = ENOENT;
    return nullptr;
}

void EXPORTED hid_close(hid_device* dev) {
    if (dev == nullptr) return;
    {
        Bus& b = bus();
        std::lock_guard lock(b.mutex);
        b.saveState(*dev->programmer);
    }
    delete dev;
}

int EXPORTED hid_send_feature_report(hid_device* dev, const unsigned char* data,
                                           size_t length) {
    if (dev == nullptr) return -1;
    if (data == nullptr || length == 0) return fail(dev, L"Invalid argument");
    // The programmer has no numbered reports: the kernel would hand another
    // id to the device, which stalls it.
    if (data[0] != 0) return fail(dev, L"Broken pipe");
    std::lock_guard lock(bus().mutex);
    if (!dev->programmer->model.setFeature(dev->connection, std::span(data, length))) {
        return fail(dev, L"Broken pipe");
    }
    dev->error = L"Success";
    return static_cast<int>(length);
}

int EXPORTED hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length) {
    if (dev == nullptr) return -1;
    if (data == nullptr || length == 0) return fail(dev, L"Invalid argument");
    if (data[0] != 0) return fail(dev, L"Broken pipe");
    std::lock_guard lock(bus().mutex);
    Programmer& programmer = *dev->programmer;
    std::vector<std::uint8_t> report(1 + kFeatureDataBytes, 0);
    if (!programmer.model.getFeature(dev->connection, report)) return fail(dev, L"Broken pipe");
    const std::size_t reportBytes = programmer.description.featureBytes.value_or(kFeatureDataBytes);
    const std::size_t n = std::min({length - 1, reportBytes, kFeatureDataBytes});
    std::copy_n(report.begin() + 1, n, data + 1);
    dev->error = L"Success";
    return static_cast<int>(n + 1);
}

int EXPORTED hid_read_timeout(hid_device* dev, unsigned char* data, size_t length,
                                    int milliseconds) {
    if (dev == nullptr) return -1;
    if (data == nullptr) return fail(dev, L"Invalid argument");
    std::lock_guard lock(bus().mutex);
    Programmer& programmer = *dev->programmer;
    const std::uint32_t wait = milliseconds < 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(milliseconds);
    std::array<std::uint8_t, VirtualProgrammer::kInputReportLength> report{};
    const std::size_t got = programmer.model.readInput(dev->connection, report, wait);
    dev->error = L"Success";
    if (got <= 1) return 0; // nothing within the time-out
    const std::size_t reportBytes =
        std::min(programmer.description.inputBytes.value_or(kInputReportBytes), got - 1);
    const std::size_t n = std::min(length, reportBytes);
    std::copy_n(report.begin() + 1, n, data); // hidraw drops report id 0
    return static_cast<int>(n);
}

EXPORTED const wchar_t* hid_error(hid_device* dev) {
    if (dev != nullptr) return dev->error.c_str();
    std::lock_guard lock(bus().mutex);
    return bus().globalError.c_str();
}

} // extern "C"
