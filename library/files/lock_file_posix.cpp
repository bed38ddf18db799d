// SPDX-License-Identifier: MIT
#include "files/lock_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace scriba8 {
namespace {

// flock, not fcntl locks: they belong to the open file, so two opens in one
// process exclude each other as two processes do.
class PosixLockFile final : public LockFile {
public:
    explicit PosixLockFile(int fd) : fd_(fd) {}
    ~PosixLockFile() override { ::close(fd_); }
    PosixLockFile(const PosixLockFile&) = delete;
    PosixLockFile& operator=(const PosixLockFile&) = delete;

    Attempt tryLock() override {
        for (;;) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return Attempt::locked;
            if (errno == EINTR) continue;
            return errno == EWOULDBLOCK ? Attempt::busy : Attempt::failed;
        }
    }

private:
    int fd_;
};

} // namespace

std::unique_ptr<LockFile> LockFile::open(const std::string& path, bool create) {
    const int flags = create ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixLockFile>(fd);
}

} // namespace scriba8
