// SPDX-License-Identifier: MIT
#include "link/transport.h"

#include "link/connection.h"
#include "link/hid_port.h"
#include "link/trace.h"
#include "link/usb_ids.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace scriba8 {
namespace {

struct LinkState {
    std::unique_ptr<DeviceLock> lock; // released only after the port closed
    std::unique_ptr<HidPort> port;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::size_t inputLength = 0;
    bool permissionDenied = false;
    bool closeFailed = false;
    std::string deniedPath;
    std::string problem;
    TransferTrace trace;
};

// One link per thread: a process that drives several programmers does so
// from a thread each (an export opens, uses and closes the link on the
// thread that calls it). The thread keeps only a plain pointer, dropped by
// ForgetLink when its export ends: with emulated thread storage (MinGW) a
// thread_local object is destroyed after its memory is freed.
thread_local LinkState* threadLink = nullptr;

LinkState& link() {
    if (threadLink == nullptr) threadLink = new LinkState;
    return *threadLink;
}

std::uint16_t percent(std::size_t done, std::size_t total) {
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(done) * 100 / total);
}

} // namespace

bool OpenProgrammer(std::uint16_t productId) {
    LinkState& s = link();
    ReleaseProgrammer();
    s.vendorId = ProgrammerVendorId();
    s.productId = productId;
    s.inputLength = 0;
    OpenResult opened = activeBackend().open(s.vendorId, productId);
    s.permissionDenied = opened.permissionDenied;
    s.deniedPath = opened.devicePath;
    s.problem = opened.problem;
    if (!opened.port) return false;
    s.lock = std::move(opened.lock);
    s.port = std::move(opened.port);
    s.inputLength = s.port->inputReportLength();
    s.trace.openFromEnvironment();
    return true;
}

bool OpenFailedForPermission() { return link().permissionDenied; }
std::string OpenProblem() { return link().problem; }
std::string DeniedDevicePath() { return link().deniedPath; }
bool ProgrammerIsOpen() { return link().port != nullptr; }

std::size_t SendBlock(std::span<const std::uint8_t> data, const StatusWord* progress,
                      std::size_t chunk) {
    LinkState& s = link();
    if (!s.port || chunk == 0 || chunk > kCommandChunk) return 0;
    std::array<std::uint8_t, kCommandChunk + 1> buffer;
    const auto report = std::span(buffer).first(chunk + 1);
    std::size_t sent = 0;
    while (sent < data.size()) {
        std::fill(report.begin(), report.end(), std::uint8_t{0});
        const std::size_t n = std::min(data.size() - sent, chunk);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(sent), n, report.begin() + 1);
        s.trace.set(s.productId, report.subspan(1));
        if (!s.port->setFeature(report)) {
            s.trace.refused(s.productId, "SET");
            break;
        }
        sent += n;
        if (progress != nullptr) progress->progress(percent(sent, data.size()));
    }
    return sent;
}

bool SendCommand(const CommandBlock& command) {
    return SendBlock(command, nullptr, kCommandChunk) == command.size();
}

std::size_t ReceiveBlock(std::span<std::uint8_t> buffer, const StatusWord* progress) {
    LinkState& s = link();
    if (!s.port) return 0;
    std::vector<std::uint8_t> report(kReceiveChunk + 1);
    std::size_t received = 0;
    while (received < buffer.size()) {
        std::fill(report.begin(), report.end(), std::uint8_t{0});
        if (!s.port->getFeature(report)) {
            s.trace.refused(s.productId, "GET");
            break;
        }
        const std::size_t n = std::min(buffer.size() - received, kReceiveChunk);
        const auto taken = std::span(report).subspan(1, n);
        std::copy(taken.begin(), taken.end(), buffer.begin() + static_cast<std::ptrdiff_t>(received));
        s.trace.get(s.productId, taken);
        received += n;
        if (progress != nullptr) progress->progress(percent(received, buffer.size()));
    }
    return received;
}

StatusReply ReadStatus(std::uint8_t tag, std::uint32_t timeoutMs) {
    LinkState& s = link();
    constexpr StatusReply kTimedOut{StatusReply::Kind::TimedOut, 0};
    if (!s.port) return kTimedOut;
    // The buffer lives until the read has returned; the port keeps no read
    // outstanding after that, so a late reply cannot land in freed memory.
    std::vector<std::uint8_t> report(s.inputLength, 0xFF);
    const std::size_t got = std::min(s.port->readInput(report, timeoutMs), report.size());
    if (got > 0) s.trace.input(s.productId, std::span(report).first(got));
    if (got < 5) {
        s.trace.timeout(s.productId, timeoutMs);
        return kTimedOut;
    }
    if (report[1] != tag) {
        s.trace.wrongTag(s.productId, tag, report[1]);
        return {StatusReply::Kind::TagMismatch, 0};
    }
    return {StatusReply::Kind::Status, static_cast<std::uint16_t>(report[3] | (report[4] << 8))};
}

LinkCode CloseProgrammer(bool powerDown) {
    if (powerDown && TargetPowerOff() != LinkCode::Ok) return LinkCode::PowerDownFailed;
    ReleaseProgrammer();
    return LinkCode::Ok;
}

void ReleaseProgrammer() {
    LinkState& s = link();
    if (s.port && !s.port->close()) s.closeFailed = true;
    s.port.reset();
    s.lock.reset();
    s.trace.close();
}

bool TakeCloseFailure() {
    LinkState& s = link();
    const bool failed = s.closeFailed;
    s.closeFailed = false;
    return failed;
}

void ForgetLink() {
    if (threadLink == nullptr) return;
    ReleaseProgrammer();
    delete threadLink;
    threadLink = nullptr;
}

} // namespace scriba8
