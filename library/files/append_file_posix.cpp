// SPDX-License-Identifier: MIT
#include "files/append_file.h"

namespace scriba8::files {

std::FILE* openForAppending(const std::string& path) { return std::fopen(path.c_str(), "ae"); }

} // namespace scriba8::files
