// SPDX-License-Identifier: MIT
// Windows only: the system's wide (UTF-16) API meets this project's UTF-8
// texts and errno-style error values here.
#pragma once

#include <string>
#include <string_view>

namespace scriba8::files {

// UTF-8 -> UTF-16; a byte that is not valid UTF-8 becomes U+FFFD.
std::wstring wideFromUtf8(std::string_view utf8);

// UTF-16 -> UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8FromWide(std::wstring_view wide);

// The errno value closest to a Windows error code (GetLastError()), so
// callers report file problems one way on every system.
int errnoFromWindowsError(unsigned long error);

// errnoFromWindowsError(GetLastError()).
int lastErrorAsErrno();

} // namespace scriba8::files
