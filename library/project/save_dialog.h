// SPDX-License-Identifier: MIT
// The project save dialog, through the record's host callbacks. Without a
// host the library decides alone: the project is saved under
// projectFolder/projectFile.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <optional>
#include <string>

namespace scriba8 {

// Full path of the project file to write, or nothing when the user cancelled.
std::optional<std::string> chooseProjectSavePath(const ContextRecord& ctx);

} // namespace scriba8
