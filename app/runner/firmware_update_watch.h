// SPDX-License-Identifier: MIT
// The library updates the programmer's firmware inside whichever export
// found it out of date, once the operator has said yes; for several seconds
// nothing else moves. The watch makes the update a step of its own in the
// log, with a busy bar while it runs, ended by its result.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "operation_log.h"
#include "worker_call.h"

#include <mutex>

namespace scriba8::app {

class FirmwareUpdateWatch {
public:
    // The log and hooks must outlive the watch.
    FirmwareUpdateWatch(OperationLog& log, const ProgressHooks& hooks);
    FirmwareUpdateWatch(const FirmwareUpdateWatch&) = delete;
    FirmwareUpdateWatch& operator=(const FirmwareUpdateWatch&) = delete;

    // A host table that asks through real (may be null) and notes a yes.
    // Valid while the watch lives.
    const S8HostCallbacks* wrap(const S8HostCallbacks* real);

    // The hooks to run the command with: data that start to move end the
    // update.
    ProgressHooks hooks();

private:
    static int askYesNo(void* user, const char* text);
    static void showError(void* user, const char* text);
    static int chooseSaveFile(void* user, const char* filterText, const char* pattern,
                              const char* defaultExtension, const char* initialFolder, char* path,
                              std::size_t pathSize);
    void updateStarts();
    void updateEnded(std::int32_t result);

    OperationLog& log_;
    ProgressHooks hooks_;
    const S8HostCallbacks* real_ = nullptr;
    S8HostCallbacks table_{};
    // The library's thread starts the update, the polling thread may end it.
    std::mutex mutex_;
};

} // namespace scriba8::app
