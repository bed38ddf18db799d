// SPDX-License-Identifier: MIT
#include "link/programmer_hold.h"

#include "Scriba8_T3Plus_DLL.h"
#include "link/programmer_selection.h"
#include "link/usb_hid.h"
#include "link/usb_ids.h"
#include "sim/virtual_backend.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace scriba8 {
namespace {

struct LockTarget {
    std::string path; // empty: nothing to lock
    bool create = false;
    std::string shownAs; // what the user knows the programmer by
};

// The lock the exports will take for this selection, found the way they
// find it, so that they re-enter the hold.
std::optional<LockTarget> lockTargetOf(const ProgrammerSelection& selection) {
    if (selection.kind == ProgrammerSelection::Kind::virtualProgrammer) {
        const std::string statePath = sim::virtualStatePath();
        if (statePath.empty()) return LockTarget{};
        return LockTarget{sim::virtualLockPath(statePath), true, statePath};
    }
    const std::vector<HidDeviceEntry> devices =
        EnumerateUsbDevices(ProgrammerVendorId(), ProgrammerProductId());
    const std::optional<std::size_t> chosen = ChooseDevice(devices, selection, false);
    if (!chosen) return std::nullopt;
    return LockTarget{devices[*chosen].path, false, devices[*chosen].path};
}

} // namespace

HoldOutcome HoldSelectedProgrammer(LockWaitOptions options) {
    const std::optional<ProgrammerSelection> selection =
        ParseProgrammerSelection(ProgrammerEnvironment());
    if (!selection) return {S8_NO_PROGRAMMER, nullptr};
    const std::optional<LockTarget> target = lockTargetOf(*selection);
    if (!target) return {S8_NO_PROGRAMMER, nullptr};
    auto hold = std::make_unique<ProgrammerHold>();
    if (target->path.empty()) return {S8_PASS, std::move(hold)};
    const auto tell = options.waiting;
    options.waiting = [&](const std::string&) {
        if (tell) tell(target->shownAs);
        else std::fprintf(stderr, "Scriba8: the programmer (%s) is in use by another process; "
                                  "waiting until it is free...\n", target->shownAs.c_str());
    };
    DeviceLock::Attempt attempt = DeviceLock::hold(target->path, target->create, options);
    if (attempt.cancelled) return {S8_CANCELLED, nullptr};
    if (attempt.busy) return {S8_PROGRAMMER_BUSY, nullptr};
    hold->lock = std::move(attempt.lock);
    return {S8_PASS, std::move(hold)};
}

} // namespace scriba8
