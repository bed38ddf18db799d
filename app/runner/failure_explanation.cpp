// SPDX-License-Identifier: MIT
#include "failure_explanation.h"

#include "transfer_watch.h"

namespace scriba8::app {

FailureExplanation ExplainResult(std::int32_t result, std::string_view command, Language language,
                                 FrontEnd frontEnd) {
    FailureExplanation explanation;
    explanation.advice = std::string(AdviceFor(result, command, frontEnd).in(language));
    if (!MayHideLinkFault(result)) return explanation;
    if (const LinkFault fault = TakeLinkFault(); fault != LinkFault::none) {
        const LinkFaultTexts texts = LinkFaultAdvice(fault);
        explanation.cause = std::string(texts.what.in(language));
        explanation.advice = std::string(texts.advice.in(language));
        explanation.linkFault = true;
    }
    return explanation;
}

void LogExplanation(OperationLog& log, const FailureExplanation& explanation,
                    const std::vector<std::string>& details) {
    constexpr TextPair kCause{"Cause: ", "原因："};
    constexpr std::string_view kIndent = "   ";
    const auto line = [&](std::string_view text) {
        log.append(std::string(kIndent).append(text).append("\r\n"));
    };
    for (const std::string& detail : details) line(detail);
    if (!explanation.cause.empty())
        line(std::string(kCause.in(log.language())) + explanation.cause);
    if (!explanation.advice.empty()) line(explanation.advice);
}

} // namespace scriba8::app
