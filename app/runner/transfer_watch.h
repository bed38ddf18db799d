// SPDX-License-Identifier: MIT
// The library writes every report it exchanges with the programmer to the
// file SCRIBA8_TRACE names. The front ends keep that trace in memory for
// one reason: a result the library can only call a failure is a USB fault
// for the user when the programmer did not answer a command, or answered
// another one, and the trace is where that shows.
#pragma once

#include "failure_advice.h"

#include <string_view>

namespace scriba8::app {

// The first fault the trace lines show (TIMEOUT: no reply, TAG: a reply to
// another command); none for a clean exchange.
LinkFault LinkFaultIn(std::string_view traceLines);

// Points SCRIBA8_TRACE at an in-memory file. Each line is passed on as
// well: to standard error with verbose, else to the file SCRIBA8_TRACE
// named before, so -v and a trace the user asked for still get every line.
// Without an in-memory file the trace is left as it was and no fault is
// ever seen.
void WatchTransfers(bool verbose);

// Passes on the lines written since the last call. Safe to call while an
// export runs on another thread.
void PumpTransfers();

// The fault shown since the last call (after passing the lines on).
LinkFault TakeLinkFault();

} // namespace scriba8::app
