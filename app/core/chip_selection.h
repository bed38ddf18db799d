// SPDX-License-Identifier: MIT
// Choosing the target chip: the record and the buffers start again from the
// chip's defaults.
#pragma once

#include "code_buffers.h"
#include "library_api.h"

#include <cstdint>

namespace scriba8::app {

// The exported record of a chip-table row; null for a row that does not
// exist (-1 included).
const BodyInfo* ChipRow(const LibraryApi& api, std::int32_t partIndex);

// The chip's default option selection: each used item and bit at its
// default value, unused slots 0.
void ApplyDefaultSelection(const BodyInfo& chip, ContextRecord& record);

// A selection decoded from option bytes (a loaded project) as the values
// Write Options takes: on a 64 KB chip without ISP area the IAP value to
// write counts one 512-byte page less than the decoded one.
void AdoptDecodedSelection(const BodyInfo& chip, ContextRecord& record);

// Makes the row the selected chip, as choosing it in the part lists does:
// default selection, empty Flash buffer, erased EEPROM buffer, no file
// names, project and off-line fields reset, the auto steps back at 0x001F.
// The status word and the host table are kept. False, with nothing
// changed, for a row that does not exist.
bool SelectChip(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                std::int32_t partIndex);

// No file names, project and off-line fields at their start values, the auto
// steps back at 0x001F: what a new chip or a new start begins with.
void ResetProjectFields(const BodyInfo& chip, ContextRecord& record);

} // namespace scriba8::app
