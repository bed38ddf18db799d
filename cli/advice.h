// What the user can do about a failure, in both interface languages.
#pragma once

#include "language.h"
#include "transfer_watch.h"

#include <cstdint>
#include <string_view>

namespace scriba8::cli {

// For a result code of the named command ("verify", "project save", ...,
// or "save" for writing an output file); empty texts for success.
app::TextPair AdviceFor(std::int32_t result, std::string_view command);

struct LinkFaultTexts {
    app::TextPair what;   // added to the result's message
    app::TextPair advice;
};

// For a failure the programmer's silence or a reply to another command
// caused (never called with LinkFault::none).
LinkFaultTexts LinkFaultAdvice(LinkFault fault);

} // namespace scriba8::cli
