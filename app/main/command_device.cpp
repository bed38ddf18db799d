#include "command_device.h"

#include <memory>

namespace scriba8::app {

bool StartDeviceCommand(CommandWorker& worker, const RunnerContext& context,
                        DeviceCommand command, CodeBuffers buffers,
                        std::function<void(const CommandOutcome&)> done) {
    struct Shared {
        CodeBuffers buffers;
        CommandOutcome outcome;
    };
    auto shared = std::make_shared<Shared>();
    shared->buffers = std::move(buffers);
    const LibraryApi* api = &context.api;
    ContextRecord* record = &context.record;
    OperationLog* log = &context.log;
    return worker.start(
        [=](const ProgressHooks& hooks) {
            DeviceRunner runner(*api, *record, *log, hooks);
            shared->outcome = runner.run(command, shared->buffers);
        },
        [shared, done = std::move(done)] {
            if (done) done(shared->outcome);
        });
}

bool StartAutoSequence(CommandWorker& worker, const RunnerContext& context, CodeBuffers buffers,
                       std::function<void(const AutoRunResult&)> done) {
    struct Shared {
        CodeBuffers buffers;
        AutoRunResult result;
    };
    auto shared = std::make_shared<Shared>();
    shared->buffers = std::move(buffers);
    const LibraryApi* api = &context.api;
    ContextRecord* record = &context.record;
    OperationLog* log = &context.log;
    return worker.start(
        [=](const ProgressHooks& hooks) {
            DeviceRunner runner(*api, *record, *log, hooks);
            shared->result = RunAutoSequence(runner, shared->buffers);
        },
        [shared, done = std::move(done)] {
            if (done) done(shared->result);
        });
}

} // namespace scriba8::app
