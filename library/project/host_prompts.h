// The user-facing questions of the project exports, through the record's host
// callbacks. Without a host the library decides alone: questions are answered
// No and a project is saved under projectFolder/projectFile.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <optional>
#include <string>

namespace scriba8 {

bool askYesNo(const ContextRecord& ctx, const char* question);

// Full path of the project file to write, or nothing when the user cancelled.
std::optional<std::string> chooseProjectSavePath(const ContextRecord& ctx);

} // namespace scriba8
