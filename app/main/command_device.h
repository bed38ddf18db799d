// SPDX-License-Identifier: MIT
// Starting the runner's device commands and the auto sequence on the
// command worker. The buffers are the command's own copy, so the window may
// repaint its editors while the worker reads them.
#pragma once

#include "auto_sequence.h"
#include "command_worker.h"
#include "device_runner.h"

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

} // namespace scriba8::app
