// SPDX-License-Identifier: MIT
#include "files/append_file.h"

#include <cerrno>
#include <unistd.h>

namespace scriba8::files {

std::FILE* openForAppending(const std::string& path) { return std::fopen(path.c_str(), "ae"); }

int flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return errno;
    return ::fsync(::fileno(file)) == 0 ? 0 : errno;
}

} // namespace scriba8::files
