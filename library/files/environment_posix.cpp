// SPDX-License-Identifier: MIT
#include "files/environment.h"

#include <cstdlib>

namespace scriba8::files {

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool setEnvironmentValue(const char* name, const std::string& value) {
    return ::setenv(name, value.c_str(), 1) == 0;
}

} // namespace scriba8::files
