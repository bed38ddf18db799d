// SPDX-License-Identifier: MIT
#include "special_file.h"

#include <stdexcept>
#include <sys/stat.h>

namespace scriba8::test {

std::string MakeSpecialFile(const std::filesystem::path& folder) {
    const std::string path = (folder / "pipe").string();
    if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path);
    return path;
}

} // namespace scriba8::test
