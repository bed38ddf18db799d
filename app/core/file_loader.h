// SPDX-License-Identifier: MIT
// The "Load File" and "Save Buffer" commands without their file dialogs:
// Intel HEX, raw binary and project files into the code buffers, a buffer
// out to an Intel HEX or binary file, each logged like every other command.
#pragma once

#include "checksums.h"
#include "code_buffers.h"
#include "library_api.h"
#include "operation_log.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace scriba8::app {

// Where a Flash load goes and how it fills the chip (the select-area dialog).
struct AreaChoice {
    std::uint32_t loadOffset = 0;
    bool clearBeforeLoad = false;
    FillMode fillMode = FillMode::none;
};

struct LoadRequest {
    BufferTab tab = BufferTab::flash;
    std::string path; // the chosen file; a reload takes the buffer record's file
    bool reloading = false;
    // Intel HEX data at their own addresses instead of from the load
    // offset; data outside the chip are refused.
    bool absolute = false;
    // Asked for a Flash load that is not a reload, after the start line and
    // only for files that are not projects; nothing means cancelled. Without
    // it the current settings of the buffers apply.
    std::function<std::optional<AreaChoice>(const AreaChoice& current)> chooseArea;
};

struct LoadOutcome {
    // S8_PASS, S8_CANCELLED, S8_FILE_ERROR, S8_FILE_TOO_LARGE or the result
    // of the project load. On failure nothing was changed but the area
    // choice.
    std::int32_t result = S8_FAIL;
    // A project set the record's chip and option selection: the front end
    // selects that chip again and shows the selection.
    bool project = false;
    // The name to show: on the Flash page for projects and Flash loads, on
    // the EEPROM page for EEPROM loads.
    std::string displayName;
    // The loaded tab's bytes after the load: length and sum, and for the
    // Flash tab the sum over the chip.
    FlashSummary summary;
    // Why a load failed, naming the file, in the log's language (the log
    // shows it behind the result's message); empty when the result says all.
    std::string reason;
    // What loaded but deserves a look (overlapping HEX records), in the
    // log's language, for the front end to show.
    std::vector<std::string> warnings;
    // The failure lies in the file's contents (a damaged HEX line, a
    // damaged project), not in reaching the file.
    bool damaged = false;
    // The lowest address of a loaded Intel HEX file.
    std::optional<std::uint64_t> hexLowestAddress;
};

class FileLoader {
public:
    FileLoader(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
               OperationLog& log)
        : api_(api), record_(record), buffers_(buffers), log_(log) {}

    LoadOutcome load(const LoadRequest& request);

    // Writes the tab's bytes to path: Intel HEX for a .hex or .ihx name (so
    // Load File reads it back), binary otherwise; S8_PASS or S8_FILE_ERROR.
    std::int32_t saveBuffer(BufferTab tab, const std::string& path);

private:
    std::int32_t loadCodeFile(const LoadRequest& request, const std::string& path,
                              const std::string& extension, const ChipSizes& chip,
                              LoadOutcome& outcome);
    std::int32_t loadProjectFile(const std::string& path, LoadOutcome& outcome);
    bool askArea(const LoadRequest& request);

    const LibraryApi& api_;
    ContextRecord& record_;
    CodeBuffers& buffers_;
    OperationLog& log_;
};

} // namespace scriba8::app
