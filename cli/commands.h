// SPDX-License-Identifier: MIT
// The subcommands. Each fills a report; usage errors throw UsageError.
#pragma once

#include <functional>
#include <vector>

#include "invocation.h"
#include "production_run.h"
#include "report.h"
#include "session.h"

namespace scriba8::cli {

// Dispatches on invocation.command.
Report RunCommand(const Invocation& invocation, Session& session);

// By family, for the dispatcher.
bool IsDeviceCommand(const std::string& command);
Report RunDeviceCommand(const Invocation& invocation, Session& session);
Report RunProjectCommand(const Invocation& invocation, Session& session);
Report RunOffLineCommand(const Invocation& invocation, Session& session);
Report RunPartsCommand(const Invocation& invocation, Session& session);
Report RunInfoCommand(const Invocation& invocation, Session& session);

// The USB programmers connected now, with path and serial number (what
// "--programmer all" of produce takes); empty where the executable cannot
// enumerate them.
using ProgrammerResolver = std::function<std::vector<app::ProgrammerChoice>()>;

// A production run on one or more programmers.
Report RunProduceCommand(const Invocation& invocation, Session& session, const ProgrammerResolver& resolve);

// What production logs add up to.
Report RunReportCommand(const Invocation& invocation, Session& session);

// Lists the programmers. Built into the scriba8 executable only, since it
// links the library's core directly (see CMakeLists.txt).
Report RunProgrammersCommand(const Invocation& invocation, Session& session);
std::vector<app::ProgrammerChoice> ConnectedUsbProgrammers();

} // namespace scriba8::cli
