// SPDX-License-Identifier: MIT
#include "files/file_reading.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriba8::files {

void ReadableFile::close() {
    if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
}

int ReadableFile::open(const std::string& path) {
    if (path.empty()) return error_ = ENOENT;
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return error_ = errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error_ = errno;
        ::close(fd);
        return error_;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return error_ = kNotRegularFile;
    }
    close();
    handle_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return error_ = 0;
}

bool ReadableFile::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (handle_ == kNoHandle || offset > size_ || out.size() > size_ - offset) {
        error_ = EINVAL;
        return false;
    }
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            error_ = got < 0 ? errno : EIO; // 0: the file shrank under us
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace scriba8::files
