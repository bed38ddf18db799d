// SPDX-License-Identifier: MIT
// A scripted HID device for transport tests: records every report handed to
// it and answers from queues the test fills.
#pragma once

#include "link/hid_port.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

namespace scriba8::testing {

struct Recorder {
    std::vector<std::vector<std::uint8_t>> sets; // whole reports, id byte first
    std::vector<std::size_t> getSizes;           // buffer size of each get request
    std::vector<std::uint32_t> readTimeouts;
    std::deque<std::vector<std::uint8_t>> features; // data from byte 1 of each get reply
    std::deque<std::vector<std::uint8_t>> inputs;   // whole input reports
    int refuseSetAt = 0;                            // 1-based; 0 = never
    int refuseGetAt = 0;
    bool keepReports = true;
    std::size_t setCount = 0;

    // The status word as it was when each report arrived.
    const std::uint16_t* watched = nullptr;
    std::vector<std::uint16_t> progressSeen;

    int openCount = 0;
    int livePorts = 0;
    std::uint16_t lastVendor = 0;
    std::uint16_t lastProduct = 0;
    bool present = true;
    bool permissionDenied = false;
};

class RecordingPort final : public HidPort {
public:
    explicit RecordingPort(Recorder& r) : r_(r) { ++r_.livePorts; }
    ~RecordingPort() override { --r_.livePorts; }
    RecordingPort(const RecordingPort&) = delete;
    RecordingPort& operator=(const RecordingPort&) = delete;

    bool setFeature(std::span<const std::uint8_t> report) override {
        watch();
        ++r_.setCount;
        if (r_.keepReports) r_.sets.emplace_back(report.begin(), report.end());
        return static_cast<int>(r_.setCount) != r_.refuseSetAt;
    }

    bool getFeature(std::span<std::uint8_t> report) override {
        watch();
        r_.getSizes.push_back(report.size());
        if (static_cast<int>(r_.getSizes.size()) == r_.refuseGetAt || r_.features.empty()) return false;
        const auto& data = r_.features.front();
        std::copy_n(data.begin(), std::min(data.size(), report.size() - 1), report.begin() + 1);
        r_.features.pop_front();
        return true;
    }

    std::size_t readInput(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override {
        r_.readTimeouts.push_back(timeoutMs);
        if (r_.inputs.empty()) return 0;
        const auto report = r_.inputs.front();
        r_.inputs.pop_front();
        const std::size_t n = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), n, buffer.begin());
        return n;
    }

    std::size_t inputReportLength() const override { return 65; }

private:
    void watch() {
        if (r_.watched != nullptr) r_.progressSeen.push_back(*r_.watched);
    }
    Recorder& r_;
};

class RecordingBackend final : public HidBackend {
public:
    explicit RecordingBackend(Recorder& r) : r_(r) {}
    OpenResult open(std::uint16_t vendorId, std::uint16_t productId) override {
        ++r_.openCount;
        r_.lastVendor = vendorId;
        r_.lastProduct = productId;
        OpenResult result;
        if (r_.permissionDenied) {
            result.permissionDenied = true;
            result.devicePath = "/dev/hidraw7";
        } else if (r_.present) {
            result.port = std::make_unique<RecordingPort>(r_);
        }
        return result;
    }

private:
    Recorder& r_;
};

} // namespace scriba8::testing
