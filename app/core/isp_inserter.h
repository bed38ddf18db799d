// SPDX-License-Identifier: MIT
// The "Insert ISP-code" command without its dialog: the chip's built-in boot
// loader, or a user's file, placed at the top of the Flash buffer by the
// library, which also selects the ISP size and boot-from-ISP options.
#pragma once

#include "checksums.h"
#include "code_buffers.h"
#include "library_api.h"
#include "operation_log.h"

#include <cstdint>
#include <string>

namespace scriba8::app {

struct IspCodeChoice {
    bool builtIn = true;
    std::string userFile; // Intel HEX when the name ends in "hex", else binary
};

struct IspInsertOutcome {
    std::int32_t result = S8_FAIL;
    std::string displayName; // the Flash page's file label
    FlashSummary summary;
    // Why a user file was refused, naming it, in the log's language; the
    // log shows it behind the result's message.
    std::string reason;
    bool damaged = false; // the file's contents, not reaching it
};

// Fills the Flash buffer to the chip's size first when its record's fill
// mode asks for it. On success the Flash buffer, its record and the record's
// option selection hold the result; on failure nothing but the record's ISP
// source and file name has changed.
IspInsertOutcome InsertIspCode(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                               OperationLog& log, const IspCodeChoice& choice);
// The same for a command whose start line was written at startTick, before
// the dialog that made the choice.
IspInsertOutcome InsertIspCode(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                               OperationLog& log, const IspCodeChoice& choice,
                               std::uint32_t startTick);

} // namespace scriba8::app
