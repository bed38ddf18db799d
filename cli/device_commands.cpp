// check-id, erase, blank-check, whole-chip-erase, program, verify, eeprom,
// read-options, write-options, checksum, dump and auto.
#include "commands.h"

#include "auto_sequence.h"
#include "checksums.h"
#include "selection_output.h"
#include "steps.h"
#include "text_format.h"
#include "texts.h"

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
    if (!path.empty()) object.set("path", path);
    object.set("length", static_cast<std::uint64_t>(bytes.size()));
    object.set("checksum", app::Checksum16(bytes));
    return object;
}

// The dumped buffers go to their files.
void saveDump(const Invocation& invocation, Session& session, Report& report) {
    const app::CodeBuffers& buffers = session.buffers();
    const std::uint16_t chipChecksum = app::ChipChecksum(buffers.flash, session.chip()->flashSize);
    Json flash = imageJson(invocation.output, buffers.flash);
    flash.set("chipChecksum", chipChecksum);
    report.data.set("flash", std::move(flash));
    if (session.chip()->eepromSize != 0)
        report.data.set("eeprom", imageJson(invocation.eepromOutput, buffers.eeprom));

    report.lines.push_back("Flash: " + std::to_string(buffers.flash.size()) + " bytes, checksum " +
                           HexText(app::Checksum16(buffers.flash), 4) + ", chip checksum " +
                           HexText(chipChecksum, 4) + " -> " + invocation.output);
    if (!invocation.eepromOutput.empty())
        report.lines.push_back("EEPROM: " + std::to_string(buffers.eeprom.size()) +
                               " bytes, checksum " + HexText(app::Checksum16(buffers.eeprom), 4) +
                               " -> " + invocation.eepromOutput);
    std::int32_t saved = session.saveImage(invocation.output, buffers.flash);
    if (saved == S8_PASS && !invocation.eepromOutput.empty())
        saved = session.saveImage(invocation.eepromOutput, buffers.eeprom);
    if (saved != S8_PASS) {
        report.setResult(saved, session.language(), "save");
        report.message = std::string(app::texts::kSaveFileError.in(session.language()));
    }
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

Report runAuto(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    Session::Inputs inputs{true, BufferTab::flash, true, true};
    if (!session.prepare(invocation, inputs, report)) return report;

    const app::AutoRunResult run = app::RunAutoSequence(session.runner(), session.buffers());
    std::int32_t result = S8_PASS;
    std::string failedStep;
    Json steps = Json::array();
    for (const auto& [command, code] : run.steps) {
        const std::string name = stepName(command);
        Json entry = Json::object();
        entry.set("step", name);
        entry.set("result", code);
        entry.set("message", app::texts::ResultText(code).in(session.language()));
        steps.push(std::move(entry));
        if (result == S8_PASS && code != S8_PASS) {
            result = code;
            failedStep = name;
        }
    }
    Json selected = Json::array();
    for (const std::string& name : StepList(session.record().autoProcess)) selected.push(name);
    report.data.set("stepsSelected", std::move(selected));
    report.data.set("steps", std::move(steps));
    report.setResult(result, session.language(), failedStep.empty() ? "auto" : failedStep);
    return report;
}

} // namespace

bool IsDeviceCommand(const std::string& command) {
    return command == "auto" || deviceSpecs().contains(command);
}

Report RunDeviceCommand(const Invocation& invocation, Session& session) {
    if (invocation.command == "auto") return runAuto(invocation, session);
    const DeviceSpec& entry = deviceSpecs().find(invocation.command)->second;
    Report report;
    report.command = invocation.command;
    if (!session.prepare(invocation, entry.inputs, report)) return report;

    const BodyInfo& chip = *session.chip();
    if (entry.command == DeviceCommand::readChipChecksum && chip.chipChecksumSupported != 1)
        throw UsageError(std::string(chip.partName) + " keeps no chip checksum to read");
    if (entry.command == DeviceCommand::dumpTarget && !invocation.eepromOutput.empty() &&
        chip.eepromSize == 0)
        throw UsageError(std::string(chip.partName) + " has no EEPROM to write to " +
                         invocation.eepromOutput);

    app::CommandOutcome outcome = session.runner().run(entry.command, session.buffers());
    report.setResult(outcome.result, session.language(), invocation.command);

    if (entry.command == DeviceCommand::writeOptions && outcome.result == S8_PASS) {
        const SelectionTexts written =
            DescribeSelection(chip, session.record(), SelectionSource::toWrite);
        report.data.set("options", SelectionJson(written));
        report.lines.push_back(std::string("Options written to ") + chip.partName + ":");
        AppendSelectionLines(written, report.lines);
    }
    if (outcome.readSelection) {
        const SelectionTexts read = describeRead(chip, *outcome.readSelection);
        report.data.set("options", SelectionJson(read));
        report.lines.push_back(std::string("Options read from ") + chip.partName + ":");
        AppendSelectionLines(read, report.lines);
    }
    if (outcome.chipChecksum) report.data.set("chipChecksum", *outcome.chipChecksum);
    if (outcome.dump) {
        app::ApplyDump(session.buffers(), std::move(*outcome.dump));
        saveDump(invocation, session, report);
    }
    return report;
}

} // namespace scriba8::cli
