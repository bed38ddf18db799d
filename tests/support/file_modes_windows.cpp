// SPDX-License-Identifier: MIT
#include "file_modes.h"

namespace scriba8::test {

bool SetFileMode(const std::filesystem::path&, unsigned) { return false; }

std::optional<unsigned> FileMode(const std::filesystem::path&) { return std::nullopt; }

FileSizeLimit::FileSizeLimit(unsigned long long) {}

FileSizeLimit::~FileSizeLimit() = default;

} // namespace scriba8::test
