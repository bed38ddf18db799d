// SPDX-License-Identifier: MIT
// report: totals, yield, chips per hour, failures and serial gaps of
// production logs.
#include "commands.h"

#include "production_summary.h"

#include <cstdio>
#include <optional>

namespace scriba8::cli {
namespace {

std::string serialHex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

Report RunReportCommand(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    const app::Language language = session.language();
    auto read = app::ReadProductionLogs(invocation.logs);
    if (const auto* why = std::get_if<app::Bilingual>(&read)) {
        report.setResult(S8_FILE_ERROR, language, "load");
        report.message = why->in(language);
        return report;
    }
    const app::ReadRecords& records = std::get<app::ReadRecords>(read);
    for (const app::Bilingual& warning : records.warnings) report.warnings.push_back(warning.in(language));
    std::optional<app::JournalContents> journal;
    if (!invocation.journal.empty()) {
        auto contents = app::ReadSerialJournal(invocation.journal);
        if (const auto* why = std::get_if<app::Bilingual>(&contents)) {
            report.setResult(S8_FILE_ERROR, language, "load");
            report.message = report.advice = why->in(language);
            return report;
        }
        journal = std::move(std::get<app::JournalContents>(contents));
        for (const app::Bilingual& warning : journal->warnings) report.warnings.push_back(warning.in(language));
    }
    const app::ProductionSummary summary = app::Summarize(records.records, journal ? &*journal : nullptr);
    report.lines = app::SummaryLines(summary, language);

    Json data = Json::object();
    data["attempts"] = summary.attempts;
    data["good"] = summary.passed;
    data["failed"] = summary.failed;
    data["yieldPercent"] = summary.yieldPercent;
    data["chipsPerHour"] = summary.chipsPerHour;
    data["hours"] = summary.hours;
    Json byCode = Json::array();
    for (const auto& [code, count] : summary.failuresByCode)
        byCode.push_back({{"result", code}, {"count", count}, {"example", summary.messageOfCode.at(code)}});
    data["failuresByResult"] = std::move(byCode);
    Json byProgrammer = Json::array();
    for (const auto& [programmer, tally] : summary.byProgrammer)
        byProgrammer.push_back({{"programmer", programmer},
                                {"attempts", tally.attempts},
                                {"good", tally.passed},
                                {"failed", tally.failed}});
    data["byProgrammer"] = std::move(byProgrammer);
    if (summary.numericSerials) {
        Json serials = Json::object();
        serials["first"] = serialHex(summary.firstSerial);
        serials["last"] = serialHex(summary.lastSerial);
        serials["step"] = summary.serialStep;
        serials["inGoodChips"] = summary.serialsInGoodChips;
        serials["inTwoGoodChips"] = summary.serialsTwice;
        Json gaps = Json::array();
        for (const app::SerialGap& gap : summary.gaps) {
            Json numbers = Json::array();
            for (const auto& [number, why] : gap.why)
                numbers.push_back({{"serial", serialHex(number)}, {"why", why}});
            gaps.push_back({{"first", serialHex(gap.first)}, {"last", serialHex(gap.last)},
                            {"count", gap.count}, {"numbers", std::move(numbers)}});
        }
        serials["gaps"] = std::move(gaps);
        serials["gapsListed"] = summary.gapsListed;
        data["serials"] = std::move(serials);
    }
    data["skippedLines"] = records.warnings.size();
    report.data = std::move(data);
    // Two good chips with one number is the one thing a report must never hide.
    report.setResult(summary.serialsTwice.empty() ? S8_PASS : S8_FAIL, language, invocation.command);
    if (!summary.serialsTwice.empty()) {
        const std::string count = std::to_string(summary.serialsTwice.size());
        report.advice = language == app::Language::english
                            ? count + " serial number(s) are in two good chips (listed above): find those chips "
                                      "and renumber one of each pair"
                            : count + " 个序列号出现在两个成功的芯片中（见上面的列表）：请找出这些芯片并为每对中的一个重新编号";
    }
    return report;
}

} // namespace scriba8::cli
