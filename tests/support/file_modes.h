// SPDX-License-Identifier: MIT
// POSIX file modes and the file size limit, for the tests that check them.
// Windows has neither: there the calls report that and the test is skipped.
#pragma once

#include <filesystem>
#include <optional>

namespace scriba8::test {

// False where the system has no such modes.
bool SetFileMode(const std::filesystem::path& file, unsigned mode);
std::optional<unsigned> FileMode(const std::filesystem::path& file);

// While it lives, a file cannot grow past bytes: writes beyond fail (EFBIG)
// instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

  private:
    bool active_ = false;
    unsigned long long previous_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

} // namespace scriba8::test
