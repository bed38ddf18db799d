// SPDX-License-Identifier: MIT
#include "link/device_lock.h"

#include "files/lock_file.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

namespace scriba8 {
namespace {

// The programmers this process has locked. One lock file per path at most:
// a second open of the same file would wait for the first.
struct Entry {
    std::unique_ptr<LockFile> file;
    int holds = 0; // jobs holding it: uses re-enter while there is one
    int uses = 0;
    // The thread whose job holds it: a job of another thread waits, as
    // another process would; the job's own exports, on any thread, do not.
    std::thread::id holder;
};

struct Registry {
    std::mutex mutex;
    std::map<std::string, Entry> entries;
};

// Never destroyed: a lock released during exit must still find it.
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr auto kTellAfter = std::chrono::seconds(1);

void tellOnStderr(const std::string& path) {
    std::fprintf(stderr,
                 "Scriba8: the programmer (%s) is in use by another process; waiting until it is "
                 "free...\n",
                 path.c_str());
}

} // namespace

DeviceLock::~DeviceLock() {
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    const auto found = r.entries.find(path_);
    if (found == r.entries.end()) return;
    Entry& entry = found->second;
    if (kind_ == Kind::hold) --entry.holds;
    else --entry.uses;
    if (entry.holds == 0 && entry.uses == 0) r.entries.erase(found); // closes the file
}

DeviceLock::Attempt DeviceLock::take(const std::string& path, bool create,
                                     const LockWaitOptions& options, Kind kind) {
    Registry& r = registry();
    std::unique_ptr<LockFile> file;
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
        {
            std::lock_guard guard(r.mutex);
            const auto found = r.entries.find(path);
            const bool reenters = found != r.entries.end() && found->second.holds > 0 &&
                                  (kind == Kind::use ||
                                   found->second.holder == std::this_thread::get_id());
            if (reenters) {
                Entry& entry = found->second;
                ++(kind == Kind::hold ? entry.holds : entry.uses);
                return {std::unique_ptr<DeviceLock>(new DeviceLock(path, kind))};
            }
            if (found == r.entries.end()) {
                if (!file) file = LockFile::open(path, create);
                if (!file) return {};
                switch (file->tryLock()) {
                case LockFile::Attempt::locked: {
                    Entry& entry = r.entries[path];
                    entry.file = std::move(file);
                    if (kind == Kind::hold) entry.holder = std::this_thread::get_id();
                    ++(kind == Kind::hold ? entry.holds : entry.uses);
                    return {std::unique_ptr<DeviceLock>(new DeviceLock(path, kind))};
                }
                case LockFile::Attempt::failed: return {};
                case LockFile::Attempt::busy: break;
                }
            }
        }
        // Busy: another process, or another job of this one.
        const auto waited = std::chrono::steady_clock::now() - start;
        if (options.limit && waited >= *options.limit) return {nullptr, true, false};
        if (options.cancelled && options.cancelled()) return {nullptr, false, true};
        if (!told && waited >= kTellAfter) {
            told = true;
            if (options.waiting) options.waiting(path);
            else tellOnStderr(path);
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

DeviceLock::Attempt DeviceLock::acquire(const std::string& path, bool create,
                                        const LockWaitOptions& options) {
    return take(path, create, options, Kind::use);
}

DeviceLock::Attempt DeviceLock::acquire(const std::string& path, bool create, LockWait wait) {
    LockWaitOptions options;
    if (wait == LockWait::dontWait) options.limit = std::chrono::milliseconds(0);
    return acquire(path, create, options);
}

std::unique_ptr<DeviceLock> DeviceLock::acquire(const std::string& path, bool create) {
    return acquire(path, create, LockWaitOptions{}).lock;
}

DeviceLock::Attempt DeviceLock::hold(const std::string& path, bool create,
                                     const LockWaitOptions& options) {
    return take(path, create, options, Kind::hold);
}

bool DeviceLock::isHeld(const std::string& path) {
    Registry& r = registry();
    std::lock_guard guard(r.mutex);
    const auto found = r.entries.find(path);
    return found != r.entries.end() && found->second.holds > 0;
}

} // namespace scriba8
