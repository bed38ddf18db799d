// SPDX-License-Identifier: MIT
// Random-access reading of a file's bytes, so the project loader works the
// same on a file and on bytes in memory (tests, fuzzing).
#pragma once

#include "files/file_reading.h"

#include <cstdint>
#include <span>
#include <string>

namespace scriba8 {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills out from offset; false when the range passes the end or reading fails.
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override;

  private:
    std::span<const std::uint8_t> bytes_;
};

// A regular file opened for reading; closed when the object goes.
class FileSource final : public ByteSource {
  public:
    // False when the path cannot be opened or is not a regular file; a pipe
    // or device is refused without waiting on it.
    bool open(const std::string& path) { return file_.open(path) == 0; }
    std::uint64_t size() const override { return file_.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override {
        return file_.read(offset, out);
    }

  private:
    files::ReadableFile file_;
};

} // namespace scriba8
