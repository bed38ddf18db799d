// SPDX-License-Identifier: MIT
#include "files/file_reading.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scriba8::files {

ReadableFile::~ReadableFile() {
    if (fd_ >= 0) ::close(fd_);
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
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
    return error_ = 0;
}

bool ReadableFile::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (fd_ < 0 || offset > size_ || out.size() > size_ - offset) {
        error_ = EINVAL;
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            error_ = got < 0 ? errno : EIO; // 0: the file shrank under us
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

WholeFile readWholeFile(const std::string& path, std::uint64_t maxSize) {
    WholeFile whole;
    ReadableFile file;
    whole.error = file.open(path);
    if (whole.error != 0) return whole;
    if (file.size() > maxSize) {
        whole.error = EFBIG;
        return whole;
    }
    whole.bytes.resize(static_cast<std::size_t>(file.size()));
    if (!file.read(0, whole.bytes)) {
        whole.error = file.error();
        whole.bytes.clear();
    }
    return whole;
}

} // namespace scriba8::files
