// SPDX-License-Identifier: MIT
#include "special_file.h"

namespace scriba8::test {

std::string MakeSpecialFile(const std::filesystem::path&) { return "\\\\.\\NUL"; }

} // namespace scriba8::test
