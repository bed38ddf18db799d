// SPDX-License-Identifier: MIT
// The "Save VLX" command without its dialogs: the buffers and the selection
// go into a project file through the library, which asks the host for the
// file name.
#pragma once

#include "code_buffers.h"
#include "library_api.h"
#include "operation_log.h"

#include <cstdint>
#include <functional>

namespace scriba8::app {

// What a front end asks the user around the save; both may be empty.
struct SaveProjectSteps {
    // For chips that take a customer string, before the library is called:
    // false when the user cancelled, which ends the command with "Cancel".
    std::function<bool()> customerString;
    // After a successful save, before "Pass" ends the log line (the request
    // form); the time spent here counts into the command's time.
    std::function<void()> saved;
};

// Before the call the front end sets projectFolder (the save dialog's
// starting folder) and, without a customer-string step, the customer string.
// Returns the result of SaveVLX, S8_CANCELLED when the customer-string step
// was cancelled, or S8_FAIL after "Buffer is empty" when a chip without
// EEPROM has no code loaded. The record lends no buffer to the library
// afterwards.
std::int32_t SaveProject(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers,
                         OperationLog& log, const SaveProjectSteps& steps = {});

} // namespace scriba8::app
