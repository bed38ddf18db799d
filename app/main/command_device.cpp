// SPDX-License-Identifier: MIT
#include "command_device.h"

#include <memory>

namespace scriba8::app {
namespace {

// Runs work(runner, buffers) on the worker with the command's own copy of
// the buffers, and hands its result to done on the GUI thread.
template <typename Result, typename Work>
bool startOnWorker(CommandWorker& worker, const RunnerContext& context, CodeBuffers buffers,
                   Work work, std::function<void(const Result&)> done) {
    struct Shared {
        CodeBuffers buffers;
        Result result;
    };
    auto shared = std::make_shared<Shared>();
    shared->buffers = std::move(buffers);
    const LibraryApi* api = &context.api;
    ContextRecord* record = &context.record;
    OperationLog* log = &context.log;
    return worker.start(
        [=](const ProgressHooks& hooks) {
            DeviceRunner runner(*api, *record, *log, hooks);
            shared->result = work(runner, shared->buffers);
        },
        [shared, done = std::move(done)] {
            if (done) done(shared->result);
        });
}

} // namespace

bool StartDeviceCommand(CommandWorker& worker, const RunnerContext& context,
                        DeviceCommand command, CodeBuffers buffers,
                        std::function<void(const CommandOutcome&)> done) {
    return startOnWorker<CommandOutcome>(
        worker, context, std::move(buffers),
        [command](DeviceRunner& runner, const CodeBuffers& own) { return runner.run(command, own); },
        std::move(done));
}

bool StartAutoSequence(CommandWorker& worker, const RunnerContext& context, CodeBuffers buffers,
                       std::function<void(const AutoRunResult&)> done) {
    return startOnWorker<AutoRunResult>(
        worker, context, std::move(buffers),
        [](DeviceRunner& runner, const CodeBuffers& own) { return RunAutoSequence(runner, own); },
        std::move(done));
}

} // namespace scriba8::app
