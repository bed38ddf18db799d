// SPDX-License-Identifier: MIT
// What one command reports: its result for the exit status, its outcome in
// words with advice, and its data for the text and JSON outputs.
#pragma once

#include "json.h"
#include "language.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace scriba8::cli {

struct Report {
    std::string command;
    // The library-style result (101 success); nothing for a usage error.
    std::optional<std::int32_t> result;
    int exitStatus = 0;
    std::string message; // the outcome as the log writes it, or the usage error
    std::string advice;  // what the user can do; empty on success
    Json chip;           // the selected chip, null without one
    Json data = Json::object();
    std::vector<std::string> lines; // shown after the log in text mode
    std::vector<std::string> warnings; // on stderr, and in JSON as "warnings"
    // Interrupted while waiting for the programmer: nothing was done.
    bool interruptedBeforeStart = false;

    // Sets result, exit status, message and advice from a result code of
    // the given command ("save" for writing an output file).
    void setResult(std::int32_t code, app::Language language, std::string_view adviceKey);
    // The same, with the reason (naming the file) behind the message.
    void setResult(std::int32_t code, app::Language language, std::string_view adviceKey,
                   const std::string& reason);
    void setUsageError(std::string text);
    bool passed() const;
};

// The JSON object of a report.
Json ReportJson(const Report& report, std::uint64_t elapsedMs);

// Text mode: the data lines on out, the advice or the usage error on err.
// JSON mode: the object on out, the advice and usage error on err too.
void PrintReport(const Report& report, bool json, std::uint64_t elapsedMs, std::FILE* out,
                 std::FILE* err);

} // namespace scriba8::cli
