// SPDX-License-Identifier: MIT
// Why a command failed and what to do about it, as both front ends tell it:
// the advice for the result, or, when the transfer trace shows that the
// programmer did not answer (or answered another command), that cause and
// its own advice.
#pragma once

#include "failure_advice.h"
#include "operation_log.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::app {

struct FailureExplanation {
    std::string cause;  // behind the result's message; empty when the message says all
    std::string advice; // empty for success
    bool linkFault = false;
};

// Takes the link fault the trace showed since the last look (see
// TakeLinkFault), for the results that may hide one.
FailureExplanation ExplainResult(std::int32_t result, std::string_view command, Language language,
                                 FrontEnd frontEnd);

// The window's log, under a finished command's line: its cause and advice,
// with what else shows where it went wrong (a verify's differing bytes),
// one indented line each. Nothing for success.
void LogExplanation(OperationLog& log, const FailureExplanation& explanation,
                    const std::vector<std::string>& details = {});

} // namespace scriba8::app
