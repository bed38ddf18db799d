// SPDX-License-Identifier: MIT
// Saving the context record as a project file.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "project/vlx_build.h"

#include <cstdint>

namespace scriba8 {

// Asks for the file (through the host, or projectFolder/projectFile without
// one), builds the project and writes it in place of any file of that name.
// projectFolder follows the choice even when the save then fails; every
// other field changes only when the file has been written. 113 cancelled,
// 114 the file could not be written (an existing one is left as it was).
std::int32_t saveProject(ContextRecord& ctx, const SaveStamp& stamp, TrimStep trim);

} // namespace scriba8
