// SPDX-License-Identifier: MIT
// A path that exists but is no regular file, and that a reader opening it
// naively would wait on: a named pipe without a writer in folder (POSIX), or
// the NUL device (Windows, by a path no folder changes).
#pragma once

#include <filesystem>
#include <string>

namespace scriba8::test {

std::string MakeSpecialFile(const std::filesystem::path& folder);

} // namespace scriba8::test
