// SPDX-License-Identifier: MIT
// What the user reads when CLI11 cannot take a command line.
#pragma once

#include "language.h"

#include <CLI/CLI.hpp>

#include <string>

namespace scriba8::cli {

// The parse error in the user's language, an unknown subcommand with the
// closest one as a hint. Kinds of error not foreseen here keep CLI11's
// English text.
std::string ParseErrorText(const CLI::App& app, const CLI::ParseError& error,
                           app::Language language);

// The line that follows a usage error in text mode.
extern const app::TextPair kMoreHelpHint;

} // namespace scriba8::cli
