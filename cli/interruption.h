// SPDX-License-Identifier: MIT
// Ctrl-C and SIGTERM (Ctrl-C and Ctrl-Break on Windows): cutting a transfer
// midway leaves the programmer in the middle of a command, so the first
// signal only asks the run to stop before its next step; a second one ends
// the process at once.
#pragma once

namespace scriba8::cli {

// Installs the handlers (SIGINT and SIGTERM, or the console control handler).
void WatchForInterruption();

// Whether a stop was asked for.
bool StopRequested();

} // namespace scriba8::cli
