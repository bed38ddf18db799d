// SPDX-License-Identifier: MIT
// The device commands of the main window and how each one runs.
#pragma once

#include "language.h"

#include <string_view>

namespace scriba8::app {

enum class DeviceCommand {
    checkId,
    erase,
    blankCheck,
    program,
    eepromProgram,
    verify,
    writeOptions,
    readOptions,
    wholeChipErase,
    readChipChecksum,
    dumpTarget,
};

// The command's name in the log's start line.
TextPair CommandTitle(DeviceCommand command);

// The commands that move a chip's memory contents run on a worker thread.
bool RunsOnWorker(DeviceCommand command);

// Commands that are never auto-sequence steps keep numbered log lines even
// while a sequence runs.
bool AlwaysNumbered(DeviceCommand command);

// The command's name in the advice table (as scriba8 names it).
std::string_view AdviceKey(DeviceCommand command);

} // namespace scriba8::app
