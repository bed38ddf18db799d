// SPDX-License-Identifier: MIT
// produce: a production run on one or more programmers, with serial numbers,
// their journal, and a record of every chip.
#include "commands.h"

#include "chip_selection.h"
#include "file_paths.h"
#include "interruption.h"
#include "production_run.h"
#include "project/codepage.h"
#include "steps.h"
#include "text_format.h"

#include "files/environment.h"
#include "files/host_name.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <tuple>

namespace scriba8::cli {
namespace {

using app::Bilingual;

UsageError usage(const Bilingual& text) { return UsageError(text.english, text.chinese); }

// A run id that sorts by time and differs between runs started at once.
std::string newRunId() {
    const std::string time = app::UtcTimeText();
    std::string compact;
    for (char c : time)
        if (c != '-' && c != ':' && c != '.') compact += c;
    std::random_device entropy;
    char tail[16];
    std::snprintf(tail, sizeof tail, "-%06X", entropy() & 0xFFFFFF);
    return compact + tail;
}

// The serial numbers the command line asks for, checked against the image.
app::SerialPlan serialPlan(const Invocation& invocation, const BodyInfo& chip,
                           std::span<const std::uint8_t> flash, std::uint16_t steps) {
    app::SerialPlan plan;
    const bool block = !invocation.serialString.empty() || !invocation.serialNumber.empty();
    const int kinds = (invocation.serialSpec.empty() || !invocation.serialList.empty() ? 0 : 1) +
                      (invocation.serialList.empty() ? 0 : 1) + (block ? 1 : 0);
    if (kinds > 1)
        throw usage({"give one kind of serial numbers: --serial, --serial-list or --serial-string/--serial-number",
                     "只能给出一种序列号：--serial、--serial-list 或 --serial-string/--serial-number"});
    if (!invocation.serialList.empty()) {
        auto list = app::ReadSerialList(invocation.serialList);
        if (const auto* why = std::get_if<Bilingual>(&list)) throw usage(*why);
        app::SerialList serials = std::move(std::get<app::SerialList>(list));
        if (invocation.serialSpec.empty())
            throw usage({"--serial-list needs --serial address=A: where in Flash the serials go",
                         "--serial-list 需要 --serial address=A：序列号写入 Flash 的位置"});
        auto address = app::ParseSerialOption(invocation.serialSpec);
        if (const auto* why = std::get_if<Bilingual>(&address)) throw usage(*why);
        const app::ContinuousSerials& given = std::get<app::ContinuousSerials>(address);
        if (given.size != 0)
            throw usage({"with --serial-list, --serial takes only address=A", "使用 --serial-list 时，--serial 只能给出 address=A"});
        serials.address = given.address;
        plan.rule = std::move(serials);
    } else if (!invocation.serialSpec.empty()) {
        auto rule = app::ParseSerialOption(invocation.serialSpec);
        if (const auto* why = std::get_if<Bilingual>(&rule)) throw usage(*why);
        if (std::get<app::ContinuousSerials>(rule).size == 0)
            throw usage({"--serial needs start=N (or a list file with --serial-list)",
                         "--serial 需要 start=N（或用 --serial-list 给出列表文件）"});
        plan.rule = std::get<app::ContinuousSerials>(rule);
    } else if (block) {
        // The block the programmer writes on its own: text, then the number
        // counting up, most significant byte first.
        app::SerialBlock serials;
        serials.text.fill(0xFF);
        const std::string legacy = toLegacyText(invocation.serialString);
        if (legacy.size() > serials.text.size())
            throw usage({"--serial-string takes up to 12 bytes", "--serial-string 最多 12 字节"});
        std::copy(legacy.begin(), legacy.end(), serials.text.begin());
        const auto number = invocation.serialNumber.empty()
                                ? std::optional<std::uint64_t>(0)
                                : app::ParseNumberText("0x" + invocation.serialNumber);
        if (!number || *number > 0xFFFFFFFF)
            throw usage({"--serial-number takes up to 8 hexadecimal digits", "--serial-number 最多 8 位十六进制数字"});
        serials.start = static_cast<std::uint32_t>(*number);
        serials.address = chip.flashSize >= 16 ? chip.flashSize - 16 : 0;
        if (!invocation.serialAddress.empty()) {
            const auto address = app::ParseNumberText("0x" + invocation.serialAddress);
            if (!address || *address > UINT32_MAX)
                throw usage({"--serial-address takes a hexadecimal address", "--serial-address 应为十六进制地址"});
            serials.address = static_cast<std::uint32_t>(*address);
        }
        plan.rule = serials;
    }
    if (!plan.enabled()) return plan;
    if ((steps & S8_STEP_PROGRAM) == 0)
        throw usage({"serial numbers go in with the image: --steps must include program",
                     "序列号随映像一起写入：--steps 中必须包含 program"});
    if (auto problem = app::CheckSerialArea(plan, flash, chip.flashSize, invocation.force)) throw usage(*problem);
    return plan;
}

// The programmers the command line names: --programmer (repeated, or all),
// else the global selection.
std::vector<app::ProgrammerChoice> programmersOf(const Invocation& invocation, const ProgrammerResolver& resolve) {
    std::vector<std::string> named = invocation.programmers;
    if (named.empty()) {
        const std::optional<std::string> global = files::environmentValue("SCRIBA8_PROGRAMMER");
        named.push_back(global.value_or("usb"));
    }
    const std::vector<app::ProgrammerChoice> connected = resolve ? resolve() : std::vector<app::ProgrammerChoice>{};
    std::vector<app::ProgrammerChoice> choices;
    for (const std::string& name : named) {
        if (name == "all") {
            if (connected.empty())
                throw UsageError("--programmer all: no USB programmer is connected (scriba8 programmers lists them)",
                                 "--programmer all：没有连接USB编程器（scriba8 programmers 可列出）");
            choices.insert(choices.end(), connected.begin(), connected.end());
            continue;
        }
        app::ProgrammerChoice choice{name, {}, {}};
        if (name.starts_with("virtual")) {
            choice.devicePath = name.size() > 8 ? name.substr(8) : files::environmentValue("SCRIBA8_VIRTUAL_STATE").value_or("");
            choice.usbSerial = "virtual";
        }
        for (const app::ProgrammerChoice& known : connected) {
            const std::string value = name.size() > 4 ? name.substr(4) : "";
            if (known.devicePath == value || known.usbSerial == value) {
                choice.devicePath = known.devicePath;
                choice.usbSerial = known.usbSerial;
            }
        }
        choices.push_back(std::move(choice));
    }
    std::set<std::string> seen;
    for (const app::ProgrammerChoice& choice : choices) {
        const std::string identity = choice.devicePath.empty() ? choice.selection : choice.devicePath;
        if (!seen.insert(identity).second)
            throw UsageError("the programmer " + choice.selection + " is named twice: each programmer runs once",
                             "编程器 " + choice.selection + " 被指定了两次：每个编程器只能运行一次");
    }
    return choices;
}

std::string stateText(app::ProgrammerRow::State state, const Say& say) {
    using State = app::ProgrammerRow::State;
    const std::pair<State, app::TextPair> names[] = {
        {State::starting, {"starting", "启动中"}},
        {State::waitingForProgrammer, {"waiting (in use)", "等待（被占用）"}},
        {State::waitingForChip, {"waiting for chip", "等待芯片"}},
        {State::programming, {"programming", "编程中"}},
        {State::idle, {"idle", "空闲"}},
        {State::done, {"done", "完成"}},
        {State::out, {"taken out", "已退出"}},
    };
    for (const auto& [named, text] : names)
        if (named == state) return say(text);
    return "";
}

// What the user watches: a table on a terminal, a line per event otherwise,
// JSON lines for a supervising program.
class Display {
public:
    Display(const Invocation& invocation, const std::vector<app::ProgrammerChoice>& programmers, const Say& say,
            bool terminal)
        : json_(invocation.json), table_(terminal && !invocation.json && !invocation.quiet),
          quiet_(invocation.quiet), say_(say), rows_(programmers.size()) {
        for (std::size_t i = 0; i < programmers.size(); ++i) rows_[i].programmer = programmers[i].selection;
    }

    app::ProductionEvents events() {
        app::ProductionEvents events;
        events.rowChanged = [this](std::size_t index, const app::ProgrammerRow& row) {
            rows_[index] = row;
            if (json_) {
                Json event = Json::object();
                event["event"] = "programmer";
                event["programmer"] = row.programmer;
                event["state"] = stateText(row.state, Say(app::Language::english));
                event["good"] = row.good;
                event["failed"] = row.failed;
                std::printf("%s\n", JsonText(event).c_str());
                std::fflush(stdout);
            } else if (table_) {
                draw();
            }
        };
        events.recorded = [this](const app::ProductionRecord& record) {
            if (json_) {
                std::printf("{\"event\":\"chip\",\"record\":%s}\n", app::RecordJson(record).c_str());
                std::fflush(stdout);
            } else if (!table_ && !quiet_) {
                std::printf("%s  #%llu  %s  %s%s  %llu ms\n", record.programmer.c_str(),
                            static_cast<unsigned long long>(record.counter), record.result.c_str(),
                            record.serial ? say_({"serial ", "序列号 "}).c_str() : "",
                            record.serial.value_or("").c_str(), static_cast<unsigned long long>(record.durationMs));
                std::fflush(stdout);
            }
        };
        events.takenOut = [this](const std::string& programmer, const Bilingual& why) {
            std::fprintf(stderr, "scriba8: %s %s: %s\n", say_({"programmer taken out:", "编程器已退出："}).c_str(),
                         programmer.c_str(), why.in(say_.language()).c_str());
            if (table_) drawn_ = 0;
        };
        return events;
    }

    void finish() {
        if (table_) draw();
    }

private:
    void draw() {
        // Back to the top of the table, then every row again.
        if (drawn_ != 0) std::printf("\033[%zuA", drawn_);
        std::printf("\033[2K%-36s %-18s %6s %6s  %-12s %s\n", say_({"PROGRAMMER", "编程器"}).c_str(),
                    say_({"STATE", "状态"}).c_str(), say_({"GOOD", "成功"}).c_str(), say_({"FAILED", "失败"}).c_str(),
                    say_({"SERIAL", "序列号"}).c_str(), say_({"LAST", "最近"}).c_str());
        for (const app::ProgrammerRow& row : rows_)
            std::printf("\033[2K%-36s %-18s %6llu %6llu  %-12s %s\n", row.programmer.c_str(),
                        stateText(row.state, say_).c_str(), static_cast<unsigned long long>(row.good),
                        static_cast<unsigned long long>(row.failed), row.lastSerial.c_str(), row.lastResult.c_str());
        drawn_ = rows_.size() + 1;
        std::fflush(stdout);
    }

    bool json_;
    bool table_;
    bool quiet_;
    Say say_;
    std::vector<app::ProgrammerRow> rows_;
    std::size_t drawn_ = 0;
};

} // namespace

Report RunProduceCommand(const Invocation& invocation, Session& session, const ProgrammerResolver& resolve) {
    Report report;
    report.command = invocation.command;
    const Say say(session.language());
    Session::Inputs inputs{true, app::BufferTab::flash, true, true};
    const bool project = app::ExtensionOf(invocation.file) == "VLX";
    if (!session.prepare(invocation, inputs, report)) return report;
    ContextRecord& record = session.record();
    // Without --steps a code file gets erase, program, verify and the options;
    // a project keeps its own steps.
    if (!invocation.steps && !project)
        record.autoProcess = S8_STEP_ERASE | S8_STEP_PROGRAM | S8_STEP_VERIFY | S8_STEP_WRITE_OPTIONS;

    std::optional<std::uint64_t> count;
    if (!invocation.count.empty()) {
        count = ParseNumber(invocation.count, 100'000'000);
        if (!count || *count == 0)
            throw UsageError("--count takes a number of good chips, 1 or more, not \"" + invocation.count + "\"",
                             "--count 应为成功芯片的数量（至少 1），不能是 \"" + invocation.count + "\"");
    }
    std::uint64_t pollMs = 200;
    if (!invocation.pollMs.empty()) {
        const auto value = ParseNumber(invocation.pollMs, 60'000);
        if (!value || *value == 0)
            throw UsageError("--poll takes milliseconds, 1 to 60000", "--poll 应为毫秒数，1 到 60000");
        pollMs = *value;
    }
    const BodyInfo& chip = *session.chip();
    app::SerialPlan plan = serialPlan(invocation, chip, session.buffers().flash, record.autoProcess);
    const std::vector<app::ProgrammerChoice> programmers = programmersOf(invocation, resolve);

    // The journal first: a run that cannot promise unique numbers does not start.
    std::unique_ptr<app::SerialJournal> journal;
    if (!invocation.journal.empty()) {
        if (!plan.enabled())
            throw UsageError(app::TextPair{"--journal keeps serial numbers: give them with --serial, --serial-list "
                                      "or --serial-string/--serial-number",
                                      "--journal 记录序列号：请用 --serial、--serial-list 或 "
                                      "--serial-string/--serial-number 给出序列号"});
        auto opened = app::SerialJournal::open(invocation.journal);
        if (const auto* why = std::get_if<Bilingual>(&opened)) {
            report.setResult(S8_FILE_ERROR, session.language(), "save");
            report.message = report.advice = why->in(session.language());
            return report;
        }
        journal = std::move(std::get<std::unique_ptr<app::SerialJournal>>(opened));
        for (const Bilingual& warning : journal->warnings()) report.warnings.push_back(warning.in(session.language()));
    } else if (plan.enabled()) {
        report.warnings.push_back(say({"no --journal: this run keeps its serial numbers apart, but a later run "
                                       "would hand them out again",
                                       "没有 --journal：本次运行的序列号不会重复，但以后的运行会再次使用它们"}));
    }
    std::unique_ptr<app::RecordWriter> log;
    std::unique_ptr<app::RecordWriter> csv;
    for (const auto& [path, form, writer] :
         {std::tuple{invocation.logFile, app::RecordWriter::Form::jsonLines, &log},
          std::tuple{invocation.csvFile, app::RecordWriter::Form::csv, &csv}}) {
        if (path.empty()) continue;
        auto opened = app::RecordWriter::open(path, form);
        if (const auto* why = std::get_if<Bilingual>(&opened)) {
            report.setResult(S8_FILE_ERROR, session.language(), "save");
            report.message = report.advice = why->in(session.language());
            return report;
        }
        *writer = std::move(std::get<std::unique_ptr<app::RecordWriter>>(opened));
    }

    const std::string runId = newRunId();
    app::SerialAllocator allocator(std::move(plan), journal.get(), invocation.reuseFailed, runId);
    app::ProductionJob job;
    job.record = std::make_shared<const ContextRecord>(record);
    job.flash = session.buffers().flash;
    job.eeprom = session.buffers().eeprom;
    job.part = chip.partName;
    app::ProductionSettings settings;
    settings.count = count;
    settings.continuous = invocation.continuous;
    settings.pollInterval = std::chrono::milliseconds(pollMs);
    settings.runId = runId;
    settings.host = files::hostName();
    settings.language = session.language();

    Display display(invocation, programmers, say, IsTerminal(stdout));
    app::ProductionRun run(session.api(), std::move(job), settings,
                           allocator.plan().enabled() ? &allocator : nullptr, log.get(), csv.get(),
                           display.events());
    const app::ProductionOutcome outcome = run.run(programmers, &StopRequested);
    display.finish();

    for (const Bilingual& problem : outcome.problems) report.warnings.push_back(problem.in(session.language()));
    Json data = Json::object();
    data["runId"] = runId;
    data["attempts"] = outcome.attempts;
    data["good"] = outcome.good;
    data["failed"] = outcome.failed;
    data["serialsRanOut"] = outcome.serialsRanOut;
    Json rows = Json::array();
    for (const app::ProgrammerRow& row : outcome.rows)
        rows.push_back({{"programmer", row.programmer},
                        {"good", row.good},
                        {"failed", row.failed},
                        {"lastSerial", row.lastSerial},
                        {"out", row.state == app::ProgrammerRow::State::out}});
    data["programmers"] = std::move(rows);
    report.data = std::move(data);
    report.lines.push_back(say({"Run ", "运行 "}) + runId + ": " + std::to_string(outcome.good) +
                           say({" good, ", " 个成功，"}) + std::to_string(outcome.failed) + say({" failed", " 个失败"}) +
                           (outcome.serialsRanOut ? say({"; the serial numbers ran out", "；序列号已用完"}) : ""));

    const bool allOut = std::all_of(outcome.rows.begin(), outcome.rows.end(), [](const app::ProgrammerRow& row) {
        return row.state == app::ProgrammerRow::State::out;
    });
    // A run that ends because its numbers ran out has done what it could;
    // one in which a chip failed, or nothing got done for lack of a
    // programmer, has not.
    std::int32_t result = outcome.failed == 0 && (outcome.good > 0 || outcome.serialsRanOut) ? S8_PASS : S8_FAIL;
    if (allOut && outcome.good == 0) result = S8_NO_PROGRAMMER;
    report.setResult(result, session.language(), invocation.command);
    if (result != S8_PASS && outcome.attempts == 0 && !outcome.problems.empty())
        report.message = report.advice = outcome.problems.front().in(session.language());
    return report;
}

} // namespace scriba8::cli
