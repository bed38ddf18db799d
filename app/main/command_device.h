// SPDX-License-Identifier: MIT
// Starting the runner's work on the command worker: the device commands, the
// auto sequence, and the off-line download and read-back. The buffers are
// the command's own copy, so the window may repaint its editors while the
// worker reads them. While the work runs, a firmware update the library
// makes becomes a step of the log, and a failure is explained under its
// line, as scriba8 explains it.
#pragma once

#include "auto_sequence.h"
#include "command_worker.h"
#include "device_runner.h"
#include "offline_commands.h"

#include <functional>

namespace scriba8::app {

struct RunnerContext {
    const LibraryApi& api;
    ContextRecord& record;
    OperationLog& log;
};

// done runs on the GUI thread with the outcome; the record and the log are
// the worker's until then. False when another command still runs.
bool StartDeviceCommand(CommandWorker& worker, const RunnerContext& context,
                        DeviceCommand command, CodeBuffers buffers,
                        std::function<void(const CommandOutcome&)> done);

bool StartAutoSequence(CommandWorker& worker, const RunnerContext& context, CodeBuffers buffers,
                       std::function<void(const AutoRunResult&)> done);

// "Off-Line Mode" after its dialog: the record's off-line settings and the
// buffers into the programmer.
bool StartOffLineDownload(CommandWorker& worker, const RunnerContext& context, CodeBuffers buffers,
                          std::function<void(std::int32_t result)> done);

// "Read Info": what the programmer holds; the record is not changed.
bool StartOffLineInfoRead(CommandWorker& worker, const RunnerContext& context,
                          std::function<void(const OffLineInfo& read)> done);

} // namespace scriba8::app
