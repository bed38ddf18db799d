// SPDX-License-Identifier: MIT
#include "link/device_lock.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace scriba8 {

DeviceLock::~DeviceLock() { ::close(fd_); }

namespace {

int openForLock(const std::string& path, bool create) {
    const int flags = create ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
    return ::open(path.c_str(), flags, 0666);
}

} // namespace

DeviceLock::Attempt DeviceLock::acquire(const std::string& path, bool create, LockWait wait) {
    if (wait == LockWait::wait) return {acquire(path, create), false};
    const int fd = openForLock(path, create);
    if (fd < 0) return {};
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) return {std::unique_ptr<DeviceLock>(new DeviceLock(fd)), false};
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return {nullptr, busy};
}

std::unique_ptr<DeviceLock> DeviceLock::acquire(const std::string& path, bool create) {
    const int fd = openForLock(path, create);
    if (fd < 0) return nullptr;
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return nullptr;
        }
        if (!told && std::chrono::steady_clock::now() - start >= std::chrono::seconds(1)) {
            std::fprintf(stderr,
                         "Scriba8: the programmer (%s) is in use by another process; waiting "
                         "until it is free...\n",
                         path.c_str());
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::unique_ptr<DeviceLock>(new DeviceLock(fd));
}

} // namespace scriba8
