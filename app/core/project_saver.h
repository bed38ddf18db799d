// The "Save VLX" command without its dialogs: the buffers and the selection
// go into a project file through the library, which asks the host for the
// file name.
#pragma once

#include "code_buffers.h"
#include "library_api.h"
#include "operation_log.h"

#include <cstdint>

namespace scriba8::app {

// Before the call the front end sets projectFolder (the save dialog's
// starting folder) and, for chips that take one, the customer string.
// Returns the result of SaveVLX, or S8_FAIL after "Buffer is empty" when a
// chip without EEPROM has no code loaded. The record lends no buffer to the
// library afterwards.
std::int32_t SaveProject(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers,
                         OperationLog& log);

} // namespace scriba8::app
