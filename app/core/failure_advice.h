// SPDX-License-Identifier: MIT
// What the operator can do about a failure, in both interface languages.
// One table for the command line and the window: where the command line
// names its options and subcommands, the window names its buttons.
#pragma once

#include "language.h"

#include <cstdint>
#include <string_view>

namespace scriba8::app {

enum class FrontEnd { commandLine, window };

// The command key for a file refused for its contents (a damaged HEX line,
// a damaged project or ISP file): the advice is to make a good file.
inline constexpr std::string_view kDamagedFileKey = "damaged file";

// For a result code of the named command ("verify", "project save", ...,
// "save" for writing an output file, or kDamagedFileKey); empty texts for
// success. With the virtual programmer selected, "no programmer" means it
// could not be used, which the advice says instead of pointing at USB.
TextPair AdviceFor(std::int32_t result, std::string_view command,
                   FrontEnd frontEnd = FrontEnd::commandLine);

// A failure the programmer's silence or a reply to another command caused;
// the library can only call it a failure, the transfer trace tells which.
enum class LinkFault { none, noReply, wrongTag };

struct LinkFaultTexts {
    TextPair what; // added to the result's message
    TextPair advice;
};

// Never called with LinkFault::none.
LinkFaultTexts LinkFaultAdvice(LinkFault fault);

// Results that also stand for a status reply that never came or answered
// another command.
bool MayHideLinkFault(std::int32_t result);

} // namespace scriba8::app
