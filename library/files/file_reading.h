// SPDX-License-Identifier: MIT
// Opening a file for reading that must be a regular file. The type is
// checked before anything can block: a named pipe or a device given as a
// code or project file is refused at once instead of hanging the caller.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scriba8::files {

// Error value for a path that names a directory, pipe, device or socket.
// Other errors are errno values.
inline constexpr int kNotRegularFile = -1;

class ReadableFile {
  public:
    ReadableFile() = default;
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // 0 on success, kNotRegularFile or an errno value otherwise.
    int open(const std::string& path);
    bool isOpen() const { return handle_ != kNoHandle; }
    std::uint64_t size() const { return size_; }
    // Fills out from offset; false when the range passes the end or reading
    // fails (error() then tells why).
    bool read(std::uint64_t offset, std::span<std::uint8_t> out);
    int error() const { return error_; }

  private:
    static constexpr std::intptr_t kNoHandle = -1;
    void close();
    // A file descriptor, or on Windows a file handle.
    std::intptr_t handle_ = kNoHandle;
    std::uint64_t size_ = 0;
    int error_ = 0;
};

struct WholeFile {
    int error = 0; // as ReadableFile::open, or the read's errno
    std::vector<std::uint8_t> bytes;
};

// The whole file, refused with kNotRegularFile when it is not a regular file
// and with EFBIG when it is larger than maxSize (before anything is read).
WholeFile readWholeFile(const std::string& path, std::uint64_t maxSize);

} // namespace scriba8::files
