// SPDX-License-Identifier: MIT
// One process at a time per programmer. hidraw lets every process open the
// device, and two processes' reports would interleave on it, so each link
// holds an exclusive lock on the device (or on the virtual programmer's
// state) from open to close.
#pragma once

#include <memory>
#include <string>

namespace scriba8 {

// Whether opening a programmer waits for another process to let go of it
// (a device operation) or reports it busy at once (the programmer listing).
enum class LockWait { wait, dontWait };

class DeviceLock {
public:
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    // Waits until this process holds the lock on path, saying on stderr once
    // after a second of waiting which device it waits for. With create, the
    // file is made when missing (a lock file beside a state file); a device
    // node is only opened. Null when path cannot be opened at all: the
    // device is then used without a lock rather than not at all.
    static std::unique_ptr<DeviceLock> acquire(const std::string& path, bool create);

    // As acquire, or with LockWait::dontWait without waiting: busy then says
    // that another process holds the lock.
    struct Attempt {
        std::unique_ptr<DeviceLock> lock;
        bool busy = false;
    };
    static Attempt acquire(const std::string& path, bool create, LockWait wait);

private:
    explicit DeviceLock(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace scriba8
