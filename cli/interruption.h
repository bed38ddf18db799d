// SPDX-License-Identifier: MIT
// Ctrl-C and SIGTERM: cutting a transfer midway leaves the programmer in the
// middle of a command, so the first signal only asks the run to stop before
// its next step; a second one ends the process at once.
#pragma once

namespace scriba8::cli {

// Installs the handlers for SIGINT and SIGTERM.
void WatchForInterruption();

// Whether a stop was asked for.
bool StopRequested();

} // namespace scriba8::cli
