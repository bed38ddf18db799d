// SPDX-License-Identifier: MIT
// What the window's command handlers share between calls: the worker every
// device command runs on, the bridge for the library's questions, and
// whether a command that runs on the GUI thread (a load with its dialogs, an
// ISP insertion, the off-line dialog) is open.
#pragma once

#include "command_host.h"
#include "command_worker.h"
#include "main_window.h"

namespace scriba8::appmain {

struct CommandState {
    explicit CommandState(CScriba8_T3Plus_APDlg& window)
        : host(&window), worker(&window, window.progress, window.operationLog) {}

    app::HostBridge host;
    app::CommandWorker worker;
    // An activation of the window must not reload in between.
    bool inCommand = false;

    bool idle() const { return !worker.busy() && !inCommand; }
};

class CommandScope {
public:
    explicit CommandScope(CommandState& state) : state_(state) { state_.inCommand = true; }
    ~CommandScope() { state_.inCommand = false; }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    CommandState& state_;
};

} // namespace scriba8::appmain
