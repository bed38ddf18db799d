// The subcommands. Each fills a report; usage errors throw UsageError.
#pragma once

#include "invocation.h"
#include "option_values.h"
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

// A selection held in the item and bit values of a command's outcome.
SelectionTexts DescribeRead(const BodyInfo& chip, const app::OptionSelection& selection);

} // namespace scriba8::cli
