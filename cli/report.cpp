// SPDX-License-Identifier: MIT
#include "report.h"

#include "Scriba8_T3Plus_DLL.h"
#include "exit_codes.h"
#include "failure_explanation.h"
#include "texts.h"

namespace scriba8::cli {

void Report::setResult(std::int32_t code, app::Language language, std::string_view adviceKey) {
    result = code;
    exitStatus = ExitStatusFor(code);
    message = std::string(app::texts::ResultText(code).in(language));
    const app::FailureExplanation explained =
        app::ExplainResult(code, adviceKey, language, app::FrontEnd::commandLine);
    advice = explained.advice;
    if (explained.linkFault) exitStatus = kExitTransfer;
    if (!explained.cause.empty()) message += " (" + explained.cause + ")";
}

void Report::setResult(std::int32_t code, app::Language language, std::string_view adviceKey,
                       const std::string& reason) {
    setResult(code, language, adviceKey);
    if (!reason.empty()) message += " (" + reason + ")";
}

void Report::setUsageError(std::string text) {
    result.reset();
    exitStatus = kExitUsage;
    message = std::move(text);
    advice.clear();
}

bool Report::passed() const { return result && *result == S8_PASS; }

Json ReportJson(const Report& report, std::uint64_t elapsedMs) {
    Json object = Json::object();
    object["command"] = report.command;
    object["result"] = report.result ? Json(*report.result) : Json();
    object["ok"] = report.exitStatus == kExitOk;
    object["exitStatus"] = report.exitStatus;
    object["message"] = report.message;
    if (!report.advice.empty()) object["advice"] = report.advice;
    object["elapsedMs"] = static_cast<std::uint64_t>(elapsedMs);
    if (!report.warnings.empty()) object["warnings"] = report.warnings;
    object["chip"] = report.chip;
    object["data"] = report.data;
    return object;
}

void PrintReport(const Report& report, bool json, std::uint64_t elapsedMs, std::FILE* out,
                 std::FILE* err) {
    if (json) {
        std::fprintf(out, "%s\n", JsonText(ReportJson(report, elapsedMs)).c_str());
    } else {
        for (const std::string& line : report.lines) std::fprintf(out, "%s\n", line.c_str());
    }
    std::fflush(out);
    for (const std::string& warning : report.warnings)
        std::fprintf(err, "scriba8: warning: %s\n", warning.c_str());
    if (!report.result) {
        std::fprintf(err, "scriba8: %s\n", report.message.c_str());
    } else if (!report.advice.empty()) {
        std::fprintf(err, "scriba8: %s\n", report.advice.c_str());
    }
    std::fflush(err);
}

} // namespace scriba8::cli
