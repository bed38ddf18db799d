// SPDX-License-Identifier: MIT
#include "files/environment.h"
#include "files/windows_text.h"

#include <cstdlib>

namespace scriba8::files {

std::optional<std::string> environmentValue(const char* name) {
    const wchar_t* value = ::_wgetenv(wideFromUtf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    return utf8FromWide(value);
}

bool setEnvironmentValue(const char* name, const std::string& value) {
    // On Windows an empty value removes the variable, which every reader
    // here takes the same way.
    return ::_wputenv_s(wideFromUtf8(name).c_str(), wideFromUtf8(value).c_str()) == 0;
}

} // namespace scriba8::files
