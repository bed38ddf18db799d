// SPDX-License-Identifier: MIT
// Environment variables as UTF-8 text. On Windows the narrow environment is
// in the ANSI code page, so paths in it would not survive; the wide one is
// read and written instead.
#pragma once

#include <optional>
#include <string>

namespace scriba8::files {

// Nothing when the variable is not set.
std::optional<std::string> environmentValue(const char* name);

// Sets the variable for this process (and the libraries in it); false when
// it could not be set.
bool setEnvironmentValue(const char* name, const std::string& value);

} // namespace scriba8::files
