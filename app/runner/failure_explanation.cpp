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

} // namespace scriba8::app
