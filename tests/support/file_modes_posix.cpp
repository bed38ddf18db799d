// SPDX-License-Identifier: MIT
#include "file_modes.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace scriba8::test {

bool SetFileMode(const std::filesystem::path& file, unsigned mode) {
    return ::chmod(file.c_str(), mode) == 0;
}

std::optional<unsigned> FileMode(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return std::nullopt;
    return info.st_mode & 07777;
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    previous_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (!active_) return;
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previous_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

} // namespace scriba8::test
