// SPDX-License-Identifier: MIT
// Holding the selected programmer for a job of several exports, so that no
// other process can use it between them (an erase of one run between the
// program and verify of another would mix two images in one chip).
#pragma once

#include "link/device_lock.h"

#include <cstdint>
#include <memory>

namespace scriba8 {

struct ProgrammerHold {
    // Null for a programmer that nothing else can reach (a virtual one
    // without a state file), or a device node that cannot be opened: the
    // export that opens it then says why.
    std::unique_ptr<DeviceLock> lock;
};

struct HoldOutcome {
    // S8_PASS, S8_PROGRAMMER_BUSY, S8_CANCELLED or S8_NO_PROGRAMMER.
    std::int32_t result;
    std::unique_ptr<ProgrammerHold> hold; // on S8_PASS
};

// Holds the programmer the calling thread's selection names (the first USB
// programmer found for a plain "usb").
HoldOutcome HoldSelectedProgrammer(LockWaitOptions options);

} // namespace scriba8
