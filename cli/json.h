// SPDX-License-Identifier: MIT
// The --json output: nlohmann-json, with objects that keep their keys in the
// order they were added.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace scriba8::cli {

using Json = nlohmann::ordered_json;

// One line, no trailing newline. Text that is not valid UTF-8 (a file name,
// a customer string) is written with U+FFFD in place of the bad bytes
// rather than failing the whole report.
inline std::string JsonText(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace scriba8::cli
