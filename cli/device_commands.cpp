// SPDX-License-Identifier: MIT
// check-id, erase, blank-check, whole-chip-erase, program, verify, eeprom,
// read-options, write-options, checksum, dump and auto.
#include "commands.h"

#include "auto_sequence.h"
#include "chip_selection.h"
#include "interruption.h"
#include "checksums.h"
#include "selection_output.h"
#include "steps.h"
#include "text_format.h"
#include "texts.h"
#include "verify_mismatch.h"

#include <map>
#include <memory>

namespace scriba8::cli {
namespace {

using app::BufferTab;
using app::DeviceCommand;

struct DeviceSpec {
    DeviceCommand command;
    Session::Inputs inputs;
};

const std::map<std::string, DeviceSpec, std::less<>>& deviceSpecs() {
    static const std::map<std::string, DeviceSpec, std::less<>> specs{
        {"check-id", {DeviceCommand::checkId, {}}},
        {"erase", {DeviceCommand::erase, {}}},
        {"blank-check", {DeviceCommand::blankCheck, {}}},
        {"whole-chip-erase", {DeviceCommand::wholeChipErase, {}}},
        {"program", {DeviceCommand::program, {true, BufferTab::flash, false, false}}},
        {"verify", {DeviceCommand::verify, {true, BufferTab::flash, false, false}}},
        {"eeprom", {DeviceCommand::eepromProgram, {true, BufferTab::eeprom, false, false}}},
        {"read-options", {DeviceCommand::readOptions, {}}},
        {"write-options", {DeviceCommand::writeOptions, {false, BufferTab::flash, true, false}}},
        {"checksum", {DeviceCommand::readChipChecksum, {}}},
        {"dump", {DeviceCommand::dumpTarget, {}}},
    };
    return specs;
}

// A buffer as the report shows it; the path only when it is written out.
Json imageJson(const std::string& path, std::span<const std::uint8_t> bytes) {
    Json object = Json::object();
    if (!path.empty()) object["path"] = path;
    object["length"] = static_cast<std::uint64_t>(bytes.size());
    object["checksum"] = app::Checksum16(bytes);
    return object;
}

// The dumped buffers go to their files.
void saveDump(const Invocation& invocation, Session& session, Report& report) {
    const app::CodeBuffers& buffers = session.buffers();
    const std::uint16_t chipChecksum = app::ChipChecksum(buffers.flash, session.chip()->flashSize);
    Json flash = imageJson(invocation.output, buffers.flash);
    flash["chipChecksum"] = chipChecksum;
    report.data["flash"] = std::move(flash);
    if (session.chip()->eepromSize != 0)
        report.data["eeprom"] = imageJson(invocation.eepromOutput, buffers.eeprom);

    // A line saying where the bytes went only once they are there.
    const app::Language language = session.language();
    const std::string colon = Say(language)({": ", "："});
    if (session.saveImage(invocation.output, buffers.flash, report) != S8_PASS) return;
    report.lines.push_back("Flash" + colon +
                           SizeAndChecksums(buffers.flash.size(), app::Checksum16(buffers.flash),
                                            chipChecksum, language) +
                           " -> " + invocation.output);
    if (invocation.eepromOutput.empty() ||
        session.saveImage(invocation.eepromOutput, buffers.eeprom, report) != S8_PASS)
        return;
    report.lines.push_back("EEPROM" + colon +
                           SizeAndChecksums(buffers.eeprom.size(), app::Checksum16(buffers.eeprom),
                                            std::nullopt, language) +
                           " -> " + invocation.eepromOutput);
}

// A selection read from the chip, held in a command's outcome.
SelectionTexts describeRead(const BodyInfo& chip, const app::OptionSelection& selection) {
    auto record = std::make_unique<ContextRecord>();
    std::copy(selection.itemValue.begin(), selection.itemValue.end(), record->itemValue);
    std::copy(selection.bitValue.begin(), selection.bitValue.end(), record->bitValue);
    return DescribeSelection(chip, *record, SelectionSource::decoded);
}

std::string stepName(DeviceCommand command) {
    for (const app::AutoStep& step : app::kAutoSteps)
        if (step.command == command)
            for (const StepName& name : StepNames())
                if (name.bit == step.bit) return std::string(name.name);
    return {};
}

// After a failed verify: reads the chip back and says where it differs from
// the image, so the operator sees a stuck bit from a wrong file at a glance.
void describeMismatch(Session& session, Report& report) {
    const app::VerifyMismatch mismatch =
        app::ReadAndCompare(session.runner(), session.buffers().flash);
    for (std::string& line : app::MismatchLines(mismatch, session.language()))
        report.lines.push_back(std::move(line));
    if (!mismatch.readBack) return;
    Json first = Json::array();
    for (const app::ByteMismatch& entry : mismatch.first)
        first.push_back({{"address", entry.address}, {"expected", entry.expected}, {"read", entry.read}});
    report.data["mismatch"] = {{"count", mismatch.count}, {"first", first}};
}

struct StepRun {
    DeviceCommand command;
    std::int32_t result;
};

// The steps of a sequence in the report; the first failure decides the
// result. A verify that failed says where.
void reportSteps(const std::vector<StepRun>& runs, Session& session, Report& report,
                 const std::string& command) {
    std::int32_t result = S8_PASS;
    std::string failedStep;
    Json steps = Json::array();
    for (const StepRun& run : runs) {
        const std::string name = stepName(run.command);
        steps.push_back({{"step", name},
                         {"result", run.result},
                         {"message", app::texts::ResultText(run.result).in(session.language())}});
        if (result == S8_PASS && run.result != S8_PASS) {
            result = run.result;
            failedStep = name;
            if (run.command == DeviceCommand::verify && run.result == S8_FAIL)
                describeMismatch(session, report);
        }
    }
    report.data["steps"] = std::move(steps);
    report.setResult(result, session.language(), failedStep.empty() ? command : failedStep);
}

// program: erase, program and verify, as other programmer tools do, so a
// chip that was not blank cannot pass.
Report runProgram(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    if (!session.prepare(invocation, deviceSpecs().at("program").inputs, report)) return report;
    if (!session.holdProgrammer(report)) return report;
    std::vector<DeviceCommand> sequence;
    if (!invocation.noErase) sequence.push_back(DeviceCommand::erase);
    sequence.push_back(DeviceCommand::program);
    if (!invocation.noVerify) sequence.push_back(DeviceCommand::verify);
    std::vector<StepRun> runs;
    for (DeviceCommand command : sequence) {
        if (StopRequested()) break;
        runs.push_back({command, session.runner().run(command, session.buffers()).result});
        if (runs.back().result != S8_PASS) break;
    }
    reportSteps(runs, session, report, invocation.command);
    return report;
}

// write-options --from-chip: the options the chip holds, then the changes
// of the command line.
bool startFromChip(const Invocation& invocation, Session& session, Report& report) {
    const BodyInfo& chip = *session.chip();
    const app::CommandOutcome read =
        session.runner().run(DeviceCommand::readOptions, session.buffers());
    if (read.result != S8_PASS || !read.readSelection) {
        report.setResult(read.result, session.language(), "read-options");
        return false;
    }
    ContextRecord& record = session.record();
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        // The oscillator frequency is not kept in the option bytes: the
        // chip's default stands unless --option names one.
        if (chip.items[k].name != nullptr && std::string_view(chip.items[k].name) == "Trim_Frequency")
            continue;
        record.itemValue[k] = read.readSelection->itemValue[static_cast<std::size_t>(k)];
    }
    std::copy(read.readSelection->bitValue.begin(), read.readSelection->bitValue.end(),
              record.bitValue);
    app::AdoptDecodedSelection(chip, record);
    if (auto error = ApplySettings(chip, record, invocation.options, invocation.bits, session.language()))
        throw UsageError::InLanguageOfRun(*error);
    return true;
}

Report runAuto(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    Session::Inputs inputs{true, BufferTab::flash, true, true};
    if (!session.prepare(invocation, inputs, report)) return report;
    if (!session.holdProgrammer(report)) return report;

    const app::AutoRunResult run = app::RunAutoSequence(session.runner(), session.buffers(), &StopRequested);
    std::vector<StepRun> runs;
    for (const auto& [command, code] : run.steps) runs.push_back({command, code});
    Json selected = Json::array();
    for (const std::string& name : StepList(session.record().autoProcess)) selected.push_back(name);
    report.data["stepsSelected"] = std::move(selected);
    reportSteps(runs, session, report, "auto");
    return report;
}

} // namespace

bool IsDeviceCommand(const std::string& command) {
    return command == "auto" || deviceSpecs().contains(command);
}

Report RunDeviceCommand(const Invocation& invocation, Session& session) {
    if (invocation.command == "auto") return runAuto(invocation, session);
    if (invocation.command == "program") return runProgram(invocation, session);
    const DeviceSpec& entry = deviceSpecs().find(invocation.command)->second;
    Report report;
    report.command = invocation.command;
    if (!session.prepare(invocation, entry.inputs, report)) return report;

    const BodyInfo& chip = *session.chip();
    if (entry.command == DeviceCommand::readChipChecksum && chip.chipChecksumSupported != 1)
        throw UsageError(std::string(chip.partName) + " keeps no chip checksum to read",
                         std::string(chip.partName) + " 不保存芯片检验和，无法读取");
    if (entry.command == DeviceCommand::dumpTarget && !invocation.eepromOutput.empty() &&
        chip.eepromSize == 0)
        throw UsageError(std::string(chip.partName) + " has no EEPROM to write to " +
                             invocation.eepromOutput,
                         std::string(chip.partName) + " 没有 EEPROM，无法写入 " + invocation.eepromOutput);

    if (!session.holdProgrammer(report)) return report;
    if (entry.command == DeviceCommand::writeOptions && invocation.fromChip &&
        !startFromChip(invocation, session, report))
        return report;

    app::CommandOutcome outcome = session.runner().run(entry.command, session.buffers());
    report.setResult(outcome.result, session.language(), invocation.command);
    if (entry.command == DeviceCommand::verify && outcome.result == S8_FAIL)
        describeMismatch(session, report);

    if (entry.command == DeviceCommand::writeOptions && outcome.result == S8_PASS) {
        const SelectionTexts written =
            DescribeSelection(chip, session.record(), SelectionSource::toWrite);
        report.data["options"] = SelectionJson(written);
        report.lines.push_back(session.language() == app::Language::english
                                   ? std::string("Options written to ") + chip.partName + ":"
                                   : std::string("已写入 ") + chip.partName + " 的选项：");
        AppendSelectionLines(written, report.lines);
    }
    if (outcome.readSelection) {
        const SelectionTexts read = describeRead(chip, *outcome.readSelection);
        report.data["options"] = SelectionJson(read);
        report.lines.push_back(session.language() == app::Language::english
                                   ? std::string("Options read from ") + chip.partName + ":"
                                   : std::string("从 ") + chip.partName + " 读出的选项：");
        AppendSelectionLines(read, report.lines);
    }
    if (outcome.chipChecksum) {
        report.data["chipChecksum"] = *outcome.chipChecksum;
        // The log line carries the value; without the log it still comes out.
        if (session.quiet()) report.lines.push_back(HexText(*outcome.chipChecksum, 4));
    }
    // An interrupted dump writes no file rather than one the user might
    // take for the whole chip.
    if (outcome.dump && !StopRequested()) {
        app::ApplyDump(session.buffers(), std::move(*outcome.dump));
        saveDump(invocation, session, report);
    }
    return report;
}

} // namespace scriba8::cli
