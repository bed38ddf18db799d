// SPDX-License-Identifier: MIT
// Loading a project file through the library: the footer fills the record,
// then the code bytes come into buffers sized from it.
#pragma once

#include "language.h"
#include "library_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace scriba8::app {

struct LoadedProject {
    std::int32_t result = S8_FAIL;
    std::vector<std::uint8_t> flash;
    std::optional<std::vector<std::uint8_t>> eeprom; // only when the project has EEPROM data
    std::string codeFileName;                       // as the footer recorded it
    // Why it failed, naming the file, in the language asked for; empty when
    // the result says all.
    std::string reason;
    bool damaged = false; // the file's contents, not reaching it
};

// On success the record holds the project's chip, selection and settings,
// with flashData and eepromData cleared again. On any failure the record is
// exactly as it was before the call, apart from the status word.
LoadedProject LoadProject(const LibraryApi& api, ContextRecord& record, const std::string& path,
                          Language language = Language::english);

} // namespace scriba8::app
