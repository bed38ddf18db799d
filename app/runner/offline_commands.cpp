// SPDX-License-Identifier: MIT
#include "offline_commands.h"

#include "lent_buffers.h"
#include "programmer_hold.h"
#include "texts.h"

#include <memory>

namespace scriba8::app {

std::int32_t DownloadOffLine(const LibraryApi& api, ContextRecord& record,
                             const CodeBuffers& buffers, OperationLog& log,
                             const ProgressHooks& hooks) {
    // The firmware check, a possible update and the download are one job.
    const ProgrammerHold hold(api);
    // Bit 15 is set and cleared on this thread, around the worker's life.
    return RunProjectImageCommand(api, record, buffers, log, texts::kOffLineMode, [&] {
        const RecordCall call = api.OffLineMode;
        ContextRecord* target = &record;
        return CallOnWorker([call, target] { return call != nullptr ? call(target) : S8_FAIL; },
                            record.status, hooks);
    });
}

OffLineInfo ReadOffLineInfo(const LibraryApi& api, const ContextRecord& main, OperationLog& log) {
    const std::uint32_t start = log.startCommand(texts::kReadInfo);
    auto info = std::make_unique<ContextRecord>();
    std::uint16_t status = 0;
    info->partIndex = -1;
    info->status = &status;
    info->host = main.host;

    const RecordCall call = api.ReadOffLineModeInfo;
    ContextRecord* target = info.get();
    OffLineInfo outcome;
    outcome.result =
        CallHere([call, target] { return call != nullptr ? call(target) : S8_FAIL; }, &status);
    info->status = nullptr;
    if (outcome.result == S8_PASS) outcome.info = std::move(info);
    log.result(outcome.result);
    log.finishCommand(start);
    return outcome;
}

} // namespace scriba8::app
