// SPDX-License-Identifier: MIT
// "Off-Line Mode": the settings dialog, its "Read Info", and the download.
// Both talk to the programmer on the command worker, as every device
// command does: a firmware question stays answerable, any other input is
// dropped, and the window neither closes nor reloads until they end.
#include "main_window.h"

#include "command_device.h"
#include "command_state.h"
#include "offline_mode_dialog.h"

using namespace scriba8;

void CScriba8_T3Plus_APDlg::OnOffLineMode() {
    appmain::CommandState& state = *commandState;
    if (!state.idle()) return;
    TakeBytesFromEditors();
    const app::CodeBuffers current = buffers;
    const app::RunnerContext runner{api, context, operationLog};
    bool accepted = false;
    {
        const appmain::CommandScope scope(state);
        const app::OffLineDialogContext dialog{&api, &context, &current, &operationLog,
                                               CurrentLanguage()};
        accepted = app::AskOffLineSettings(
            dialog, this,
            [&state, runner](const ContextRecord&,
                             std::function<void(const app::OffLineInfo&)> shown) {
                app::StartOffLineInfoRead(state.worker, runner, std::move(shown));
            });
    }
    if (accepted) app::StartOffLineDownload(state.worker, runner, current, {});
}
