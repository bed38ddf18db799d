// SPDX-License-Identifier: MIT
// Loading a project file into the context record, on any byte source. The
// exports open the file named by projectFile and handle the status word.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "project/byte_source.h"

#include <cstdint>

namespace scriba8 {

// Checks the footer and restores chip, options and settings. Fields are
// written in a fixed order, so a failure keeps those written before it; a
// damaged file (115) or an unknown tool (117) writes none.
std::int32_t loadProjectFooter(ContextRecord& ctx, ByteSource& file);

// Reads flashLength bytes into flashData and then eepromLength bytes into
// eepromData; 114 when the file holds fewer.
std::int32_t loadProjectImages(ContextRecord& ctx, ByteSource& file);

} // namespace scriba8
