// SPDX-License-Identifier: MIT
#include "sim/virtual_backend.h"

#include "files/atomic_file.h"
#include "files/environment.h"
#include "files/file_reading.h"
#include "files/utf8_path.h"
#include "link/programmer_selection.h"
#include "sim/offline_run.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace scriba8::sim {
namespace {

// Far beyond the state of the largest chip, written as hex text.
constexpr std::uint64_t kLargestStateFile = 64u << 20;

std::string reasonText(int error) {
    return error == files::kNotRegularFile ? "not a regular file" : std::strerror(error);
}

std::string environment(const char* name) {
    return files::environmentValue(name).value_or("");
}

std::string_view environmentView(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// A missing file is a new programmer; one that cannot be read or understood
// is refused, never silently replaced by a blank programmer.
bool loadStateFile(VirtualProgrammer& programmer, const std::string& path) {
    const files::WholeFile state = files::readWholeFile(path, kLargestStateFile);
    if (state.error == ENOENT) return true; // the file appears at the first close
    if (state.error != 0) {
        std::fprintf(stderr, "Scriba8 virtual programmer: cannot read the state file %s: %s\n",
                     path.c_str(), reasonText(state.error).c_str());
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(state.bytes.data()),
                                state.bytes.size());
    if (std::string line; !programmer.loadState(text, &line)) {
        std::fprintf(stderr,
                     "Scriba8 virtual programmer: the state file %s is damaged (its \"%s\" line "
                     "is missing or wrong); move it away to start with a new programmer\n",
                     path.c_str(), line.c_str());
        return false;
    }
    return true;
}

bool saveStateFile(const VirtualProgrammer& programmer, const std::string& path) {
    const std::string text = programmer.saveState();
    const int error = files::writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (error == 0) return true;
    std::fprintf(stderr, "Scriba8 virtual programmer: cannot save the state file %s: %s\n",
                 path.c_str(), reasonText(error).c_str());
    return false;
}

class VirtualPort final : public HidPort {
public:
    VirtualPort(VirtualProgrammer& device, std::uint64_t connection, std::string statePath)
        : device_(device), connection_(connection), statePath_(std::move(statePath)) {}
    ~VirtualPort() override { close(); }
    VirtualPort(const VirtualPort&) = delete;
    VirtualPort& operator=(const VirtualPort&) = delete;

    bool setFeature(std::span<const std::uint8_t> report) override {
        return device_.setFeature(connection_, report);
    }
    bool getFeature(std::span<std::uint8_t> report) override {
        return device_.getFeature(connection_, report);
    }
    std::size_t readInput(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        return device_.readInput(connection_, buffer, timeoutMs);
    }
    std::size_t inputReportLength() const override { return VirtualProgrammer::kInputReportLength; }
    bool close() override {
        if (closed_) return true;
        closed_ = true;
        return statePath_.empty() || saveStateFile(device_, statePath_);
    }

private:
    VirtualProgrammer& device_;
    std::uint64_t connection_;
    std::string statePath_;
    bool closed_ = false;
};

class VirtualBackend final : public HidBackend {
public:
    OpenResult open(std::uint16_t vendorId, std::uint16_t productId) override {
        return openVirtualProgrammer(vendorId, productId, LockWait::wait);
    }
};

} // namespace

std::string virtualStatePath() {
    const std::optional<ProgrammerSelection> selection =
        ParseProgrammerSelection(ProgrammerEnvironment());
    if (selection && selection->kind == ProgrammerSelection::Kind::virtualProgrammer &&
        !selection->value.empty())
        return selection->value;
    return environment("SCRIBA8_VIRTUAL_STATE");
}

std::string virtualLockPath(const std::string& statePath) { return statePath + ".lock"; }

VirtualProgrammer& virtualProgrammerFor(const std::string& statePath) {
    if (statePath.empty() || statePath == environment("SCRIBA8_VIRTUAL_STATE"))
        return virtualProgrammer();
    // Never destroyed, like the first one: a port may still save during exit.
    static std::mutex* mutex = new std::mutex;
    static auto* others = new std::map<std::string, std::unique_ptr<VirtualProgrammer>>;
    const std::lock_guard guard(*mutex);
    std::unique_ptr<VirtualProgrammer>& slot = (*others)[statePath];
    if (!slot) slot = std::make_unique<VirtualProgrammer>();
    return *slot;
}

OpenResult openVirtualProgrammer(std::uint16_t vendorId, std::uint16_t productId, LockWait wait) {
    const std::string statePath = virtualStatePath();
    VirtualProgrammer& device = virtualProgrammerFor(statePath);
    // One process at a time drives an instance, as with a real programmer:
    // the state is read only once the lock is held.
    std::unique_ptr<DeviceLock> lock;
    if (!statePath.empty()) {
        DeviceLock::Attempt attempt = DeviceLock::acquire(virtualLockPath(statePath), true, wait);
        if (attempt.busy) {
            OpenResult result;
            result.busy = true;
            result.devicePath = statePath;
            return result;
        }
        lock = std::move(attempt.lock);
    }
    if (!statePath.empty() && !loadStateFile(device, statePath)) return {};
    if (!device.environmentApplied) applyEnvironment(device, statePath);
    OpenResult result;
    if (device.enumerates(vendorId, productId)) {
        result.port = std::make_unique<VirtualPort>(device, device.connect(), statePath);
        result.lock = std::move(lock);
    }
    return result;
}

HidBackend& virtualBackend() {
    static VirtualBackend* backend = new VirtualBackend;
    return *backend;
}

void applyFaultSpec(VirtualProgrammer& programmer, const FaultSpec& wanted) {
    programmer.faults() = wanted.faults;
    if (wanted.locked) programmer.lockChip();
    if (wanted.mainFirmware) programmer.firmware().main = *wanted.mainFirmware;
    if (wanted.auxFirmware) programmer.firmware().aux = *wanted.auxFirmware;
    if (wanted.no8051) programmer.firmware().supports8051 = false;
}


std::variant<VirtualProgrammer::SocketSchedule, std::string> parseSocketSchedule(std::string_view text) {
    VirtualProgrammer::SocketSchedule schedule;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(','), text.size());
        const std::string_view item = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t equals = item.find('=');
        const std::string_view name = item.substr(0, equals);
        const std::string_view number = equals == std::string_view::npos ? "" : item.substr(equals + 1);
        if (name == "tray" && !number.empty()) {
            schedule.trayPrefix = std::string(number) + "/";
            continue;
        }
        unsigned value = 0;
        const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (number.empty() || error != std::errc{} || stop != number.data() + number.size())
            return "cannot read \"" + std::string(item) + "\": the items are looks=N, empty=N, chips=N and tray=DIR";
        if (name == "looks" && value >= 1) schedule.looks = value;
        else if (name == "empty") schedule.empty = value;
        else if (name == "chips" && value >= 1) schedule.chips = value;
        else return "cannot read \"" + std::string(item) + "\": the items are looks=N (1 or more), empty=N and chips=N (1 or more)";
    }
    return schedule;
}

namespace {

// The faults SCRIBA8_VIRTUAL_FAULTS_AT gives the programmer with this state
// file ("FILE|FAULTS;FILE|FAULTS"), else SCRIBA8_VIRTUAL_FAULTS.
std::string faultsFor(const std::string& statePath) {
    std::string_view list = environmentView("SCRIBA8_VIRTUAL_FAULTS_AT");
    while (!list.empty() && !statePath.empty()) {
        const std::size_t end = std::min(list.find(';'), list.size());
        const std::string_view entry = list.substr(0, end);
        list.remove_prefix(std::min(end + 1, list.size()));
        const std::size_t bar = entry.find('|');
        if (bar != std::string_view::npos && entry.substr(0, bar) == statePath)
            return std::string(entry.substr(bar + 1));
    }
    return environment("SCRIBA8_VIRTUAL_FAULTS");
}

} // namespace

void applyEnvironment(VirtualProgrammer& programmer, const std::string& statePath) {
    programmer.environmentApplied = true;

    if (const std::string faults = faultsFor(statePath); !faults.empty()) {
        const auto parsed = parseFaultSpec(faults);
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            std::fprintf(stderr, "Scriba8 virtual programmer: SCRIBA8_VIRTUAL_FAULTS ignored: %s\n",
                         error->c_str());
        } else {
            applyFaultSpec(programmer, std::get<FaultSpec>(parsed));
        }
    }

    if (const std::string part = environment("SCRIBA8_VIRTUAL_CHIP"); !part.empty()) {
        const ChipRecord* found = nullptr;
        for (const ChipRecord& record : chipTable()) {
            if (part == record.partName) {
                found = &record;
                break;
            }
        }
        if (found != nullptr) {
            programmer.pinChip(found);
        } else {
            std::fprintf(stderr,
                         "Scriba8 virtual programmer: SCRIBA8_VIRTUAL_CHIP ignored: no part named "
                         "\"%s\" in the chip table\n", part.c_str());
        }
    }

    if (const std::string socket = environment("SCRIBA8_VIRTUAL_SOCKET"); !socket.empty()) {
        const auto parsed = parseSocketSchedule(socket);
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            std::fprintf(stderr, "Scriba8 virtual programmer: SCRIBA8_VIRTUAL_SOCKET ignored: %s\n",
                         error->c_str());
        } else {
            VirtualProgrammer::SocketSchedule schedule = std::get<VirtualProgrammer::SocketSchedule>(parsed);
            // Chips of several programmers share a tray under their state files' names.
            if (!schedule.trayPrefix.empty())
                schedule.trayPrefix += (statePath.empty() ? std::string("virtual")
                                                          : files::utf8FromPath(files::pathFromUtf8(statePath).filename())) +
                                       "-";
            programmer.setSocketSchedule(std::move(schedule));
        }
    }

    const std::string pace = environment("SCRIBA8_VIRTUAL_PACE");
    if (pace == "real") programmer.setRealPace(true);
    else if (!pace.empty()) {
        std::fprintf(stderr, "Scriba8 virtual programmer: SCRIBA8_VIRTUAL_PACE=%s ignored; the only "
                             "value is \"real\"\n", pace.c_str());
    }

    // Last, so the run meets the chip and faults asked for above.
    if (const std::string offLine = environment("SCRIBA8_VIRTUAL_OFFLINE"); !offLine.empty()) {
        const auto parsed = parseOffLineRunSpec(offLine);
        if (const auto* error = std::get_if<std::string>(&parsed)) {
            std::fprintf(stderr, "Scriba8 virtual programmer: SCRIBA8_VIRTUAL_OFFLINE ignored: %s\n",
                         error->c_str());
        } else {
            const OffLineRunSpec& wanted = std::get<OffLineRunSpec>(parsed);
            const OffLineRun run = programmer.runOffLine(wanted.count, wanted.keepChip);
            std::fprintf(stderr, "Scriba8 virtual programmer: stand-alone run %s\n",
                         describeOffLineRun(run, wanted.count).c_str());
        }
    }
}

} // namespace scriba8::sim
