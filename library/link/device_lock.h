// SPDX-License-Identifier: MIT
// One user at a time per programmer. hidraw lets every process open the
// device, and two users' reports would interleave on it, so each link holds
// an exclusive lock on the device (or on the virtual programmer's state)
// from open to close.
//
// A caller that runs several exports as one job (erase, program, verify)
// holds the programmer for the whole job: while this process holds a
// programmer, the exports that open it re-enter the hold instead of locking
// again, so no other process can slip in between them.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace scriba8 {

class LockFile;

// Whether opening a programmer waits for another user to let go of it
// (a device operation) or reports it busy at once (the programmer listing).
enum class LockWait { wait, dontWait };

struct LockWaitOptions {
    // How long to wait for a busy programmer: nothing = as long as it takes,
    // zero = not at all.
    std::optional<std::chrono::milliseconds> limit;
    // Asked every few milliseconds while waiting; true gives up at once.
    std::function<bool()> cancelled;
    // Called once after a second of waiting, with the path waited for;
    // empty: a line on stderr says so.
    std::function<void(const std::string& path)> waiting;
};

class DeviceLock {
public:
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    struct Attempt {
        std::unique_ptr<DeviceLock> lock;
        bool busy = false;      // another user kept it past the wait
        bool cancelled = false; // the wait was given up
    };

    // The lock on path for one use of the programmer. With create, the file
    // is made when missing (a lock file beside a state file); a device node
    // is only opened. No lock and not busy when path cannot be opened at
    // all: the device is then used without a lock rather than not at all.
    static Attempt acquire(const std::string& path, bool create, const LockWaitOptions& options);
    static Attempt acquire(const std::string& path, bool create, LockWait wait);
    static std::unique_ptr<DeviceLock> acquire(const std::string& path, bool create);

    // The lock on path for a job of several uses: until it is released,
    // every acquire of path in this process re-enters it, whatever thread
    // asks (a job may run an export on a worker thread). Holds nest on the
    // thread that holds; a hold asked for on another thread waits.
    static Attempt hold(const std::string& path, bool create, const LockWaitOptions& options);

    // Whether this process holds path.
    static bool isHeld(const std::string& path);

private:
    enum class Kind { use, hold };
    static Attempt take(const std::string& path, bool create, const LockWaitOptions& options,
                        Kind kind);
    DeviceLock(std::string path, Kind kind) : path_(std::move(path)), kind_(kind) {}

    std::string path_;
    Kind kind_;
};

} // namespace scriba8
