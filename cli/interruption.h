// SPDX-License-Identifier: MIT
// Ctrl-C and SIGTERM (Ctrl-C and Ctrl-Break on Windows): cutting a transfer
// midway leaves the programmer in the middle of a command, so the first
// signal only asks the run to stop before its next step; a second one ends
// the process at once.
#pragma once

#include "language.h"

#include <string_view>

namespace scriba8::cli {

// Installs the handlers (SIGINT and SIGTERM, or the console control handler);
// the first signal's note is in the language of the run.
void WatchForInterruption(app::Language language);

// That note, chosen before any signal can come: a handler may not build text.
std::string_view StoppingNote(app::Language language);

// Whether a stop was asked for.
bool StopRequested();

} // namespace scriba8::cli
