// SPDX-License-Identifier: MIT
// Windows builds of the tests only, included ahead of every test source:
// the POSIX calls the tests set their environment with, on the C runtime's
// own environment, which the library reads too. A path's native text
// (std::filesystem::path::c_str() is UTF-16 there) is taken as it is.
#pragma once

#include <cstdlib>
#include <string>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (overwrite == 0 && std::getenv(name) != nullptr) return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int setenv(const char* name, const wchar_t* value, int overwrite) {
    const std::wstring wideName(name, name + std::char_traits<char>::length(name));
    if (overwrite == 0 && _wgetenv(wideName.c_str()) != nullptr) return 0;
    return _wputenv_s(wideName.c_str(), value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }
