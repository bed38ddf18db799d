// SPDX-License-Identifier: MIT
#include "command_device.h"

#include "failure_explanation.h"
#include "firmware_update_watch.h"
#include "transfer_watch.h"
#include "verify_mismatch.h"

#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace scriba8::app {
namespace {

// The record asks its questions through the watch for the work's duration.
class WatchedHost {
public:
    WatchedHost(ContextRecord& record, FirmwareUpdateWatch& watch)
        : record_(record), own_(record.host) {
        record_.host = watch.wrap(own_);
    }
    ~WatchedHost() { record_.host = own_; }
    WatchedHost(const WatchedHost&) = delete;
    WatchedHost& operator=(const WatchedHost&) = delete;

private:
    ContextRecord& record_;
    const S8HostCallbacks* own_;
};

void explainFailure(DeviceRunner& runner, std::string_view adviceKey, std::int32_t result) {
    if (result == S8_PASS) return;
    OperationLog& log = runner.log();
    LogExplanation(log, ExplainResult(result, adviceKey, log.language(), FrontEnd::window));
}

void explainCommand(DeviceRunner& runner, DeviceCommand command, std::int32_t result,
                    std::span<const std::uint8_t> flash) {
    if (result == S8_PASS) return;
    OperationLog& log = runner.log();
    const FailureExplanation explanation =
        ExplainResult(result, AdviceKey(command), log.language(), FrontEnd::window);
    std::vector<std::string> details;
    // Where a verify found other bytes, unless the programmer stopped answering.
    if (command == DeviceCommand::verify && result == S8_FAIL && !explanation.linkFault)
        details = MismatchLines(ReadAndCompare(runner, flash), log.language());
    LogExplanation(log, explanation, details);
}

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
            // A fault an earlier command left in the trace is not this one's.
            static_cast<void>(TakeLinkFault());
            ProgressHooks traced = hooks;
            traced.idle = [] {
                PumpTransfers();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            };
            FirmwareUpdateWatch watch(*log, traced);
            const WatchedHost host(*record, watch);
            DeviceRunner runner(*api, *record, *log, watch.hooks());
            runner.setAfterCommand([](DeviceRunner& ran, DeviceCommand command,
                                      const CommandOutcome& outcome, BufferContents own) {
                explainCommand(ran, command, outcome.result, own.flash);
            });
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

bool StartOffLineDownload(CommandWorker& worker, const RunnerContext& context, CodeBuffers buffers,
                          std::function<void(std::int32_t result)> done) {
    return startOnWorker<std::int32_t>(
        worker, context, std::move(buffers),
        [](DeviceRunner& runner, const CodeBuffers& own) {
            const std::int32_t result =
                DownloadOffLine(runner.api(), runner.record(), own, runner.log(), runner.hooks());
            explainFailure(runner, "offline download", result);
            return result;
        },
        std::move(done));
}

bool StartOffLineInfoRead(CommandWorker& worker, const RunnerContext& context,
                          std::function<void(const OffLineInfo& read)> done) {
    return startOnWorker<OffLineInfo>(
        worker, context, CodeBuffers{},
        [](DeviceRunner& runner, const CodeBuffers&) {
            OffLineInfo read = ReadOffLineInfo(runner.api(), runner.record(), runner.log());
            explainFailure(runner, "offline read", read.result);
            return read;
        },
        std::move(done));
}

} // namespace scriba8::app
