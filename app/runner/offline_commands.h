// SPDX-License-Identifier: MIT
// The off-line mode commands without their dialogs: download the buffers and
// the off-line settings into the programmer, and read the settings back.
#pragma once

#include "code_buffers.h"
#include "library_api.h"
#include "operation_log.h"
#include "worker_call.h"

#include <cstdint>
#include <memory>

namespace scriba8::app {

// "Off-Line Mode": the record's counter limit and serial-number settings
// are set by the front end beforehand. Runs the download on a worker thread
// with the progress hooks. Returns the result, or S8_FAIL after "Buffer is
// empty" when a chip without EEPROM has no code loaded. The record lends no
// buffer to the library afterwards.
std::int32_t DownloadOffLine(const LibraryApi& api, ContextRecord& record,
                             const CodeBuffers& buffers, OperationLog& log,
                             const ProgressHooks& hooks = {});

struct OffLineInfo {
    std::int32_t result = S8_FAIL;
    // On success: a record of its own holding what the programmer stores;
    // its status pointer is cleared. partIndex is -1 when no chip of the
    // table has the stored part code.
    std::unique_ptr<ContextRecord> info;
};

// "Read Info": never changes the main record.
OffLineInfo ReadOffLineInfo(const LibraryApi& api, const ContextRecord& main, OperationLog& log);

} // namespace scriba8::app
