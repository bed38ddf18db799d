// SPDX-License-Identifier: MIT
// project save|load|show and isp-insert.
#include "commands.h"

#include "checksums.h"
#include "file_errors.h"
#include "file_paths.h"
#include "files/atomic_file.h"
#include "files/utf8_path.h"
#include "isp_inserter.h"
#include "project/codepage.h"
#include "project_saver.h"
#include "selection_output.h"
#include "steps.h"
#include "text_format.h"
#include "texts.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace scriba8::cli {
namespace {

using app::BufferTab;

void setCustomerString(const Invocation& invocation, Session& session) {
    if (invocation.customerString.empty()) return;
    const BodyInfo& chip = *session.chip();
    if (chip.customerStringSupported != 1)
        throw UsageError(std::string(chip.partName) + " takes no customer string",
                         std::string(chip.partName) + " 不支持客户字符串");
    // Stored in the project code page, like the file names of a project.
    const std::string legacy = toLegacyText(invocation.customerString);
    if (legacy.size() > S8_CUSTOMER_STRING_SIZE)
        throw UsageError("the customer string holds at most 16 bytes in the project code page (" +
                             projectCodePage() + ")",
                         "客户字符串在项目代码页（" + projectCodePage() + "）中最多 16 字节");
    std::uint8_t* field = session.record().customerString;
    std::memset(field, 0xFF, S8_CUSTOMER_STRING_SIZE);
    std::memcpy(field, legacy.data(), legacy.size());
}

// What a loaded or saved project holds.
void describeProject(Session& session, Report& report) {
    const ContextRecord& record = session.record();
    const BodyInfo& chip = *session.chip();
    const app::CodeBuffers& buffers = session.buffers();
    const SelectionTexts options = DescribeSelection(chip, record, SelectionSource::toWrite);

    char saved[32];
    std::snprintf(saved, sizeof saved, "%04u-%02u-%02u %02u:%02u:%02u", 2000u + record.saveTime[0],
                  record.saveTime[1], record.saveTime[2], record.saveTime[3], record.saveTime[4],
                  record.saveTime[5]);
    const std::uint16_t chipChecksum = app::ChipChecksum(buffers.flash, chip.flashSize);

    Json project = Json::object();
    project["file"] = record.projectFile;
    project["codeFileName"] = record.codeFileName;
    project["flashLength"] = static_cast<std::uint64_t>(buffers.flash.size());
    project["flashChecksum"] = app::Checksum16(buffers.flash);
    project["chipChecksum"] = chipChecksum;
    if (chip.eepromSize != 0) {
        project["eepromLength"] = static_cast<std::uint64_t>(buffers.eeprom.size());
        project["eepromChecksum"] = app::Checksum16(buffers.eeprom);
    }
    Json steps = Json::array();
    for (const std::string& step : StepList(record.autoProcess)) steps.push_back(step);
    project["steps"] = std::move(steps);
    project["options"] = SelectionJson(options);
    project["ispCode"] = record.ispCodeSource == 1 ? std::string(record.ispCodeFile)
                                                     : std::string("built-in");
    if (chip.customerStringSupported == 1)
        project["customerString"] = fromLegacyText(FieldText(record.customerString, S8_CUSTOMER_STRING_SIZE));
    project["saved"] = std::string(saved);
    project["projectId"] = record.projectId;
    project["projectTag"] = static_cast<unsigned>(record.projectTag);
    project["toolVersion"] = std::to_string(record.toolVersion >> 8) + "." +
                                   std::to_string(record.toolVersion & 0xFF);
    report.data["project"] = std::move(project);

    const app::Language language = session.language();
    const Say say(language);
    std::vector<std::string>& lines = report.lines;
    lines.push_back(say({"Project ", "项目 "}) + record.projectFile);
    lines.push_back(FieldLine(say({"Part", "型号"}), chip.partName));
    lines.push_back(FieldLine(say({"Code file", "代码文件"}), record.codeFileName));
    lines.push_back(FieldLine("Flash", SizeAndChecksums(buffers.flash.size(), app::Checksum16(buffers.flash),
                                                        chipChecksum, language)));
    if (chip.eepromSize != 0)
        lines.push_back(FieldLine("EEPROM", SizeAndChecksums(buffers.eeprom.size(),
                                                             app::Checksum16(buffers.eeprom),
                                                             std::nullopt, language)));
    std::string stepText;
    for (const std::string& step : StepList(record.autoProcess))
        stepText += (stepText.empty() ? "" : ",") + step;
    lines.push_back(FieldLine(say({"Auto steps", "自动步骤"}), stepText.empty() ? say({"none", "无"}) : stepText));
    lines.push_back(FieldLine(say({"ISP code", "ISP代码"}), record.ispCodeSource == 1
                                                            ? std::string(record.ispCodeFile)
                                                            : say({"built-in", "内置"})));
    if (chip.customerStringSupported == 1)
        lines.push_back(FieldLine(say({"Customer string", "客户字符串"}),
                                  fromLegacyText(FieldText(record.customerString, S8_CUSTOMER_STRING_SIZE))));
    lines.push_back(FieldLine(say({"Saved", "保存时间"}),
                              std::string(saved) + say({" by version ", "，版本 "}) +
                                  std::to_string(record.toolVersion >> 8) + "." +
                                  std::to_string(record.toolVersion & 0xFF)));
    lines.push_back(FieldLine(say({"Project id", "项目ID"}), HexText(record.projectId, 8) +
                                                                 say({", tag ", "，标记 "}) +
                                                                 HexText(record.projectTag, 4)));
    lines.push_back(say({"  Options:", "  选项："}));
    AppendSelectionLines(options, lines, "    ");
}

Report saveProject(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    if (!session.prepare(invocation, {false, BufferTab::flash, true, true}, report)) return report;
    const BodyInfo& chip = *session.chip();
    if (chip.eepromSize == 0 && invocation.file.empty())
        throw UsageError("project save needs a code FILE for " + std::string(chip.partName),
                         "为 " + std::string(chip.partName) + " 保存项目需要代码文件 FILE");
    setCustomerString(invocation, session);
    if (const auto reason = session.overwritesInput(invocation.output)) {
        report.setResult(S8_FILE_ERROR, session.language(), "save", *reason);
        return report;
    }

    // The library asks for the file name; the answer is the -o path.
    const bool toStandardOutput = invocation.output == files::kStandardOutput;
    const std::filesystem::path output =
        toStandardOutput ? files::pathFromUtf8(invocation.output)
                         : std::filesystem::absolute(files::pathFromUtf8(invocation.output));
    std::string folder = files::utf8FromPath(toStandardOutput ? std::filesystem::current_path()
                                                              : output.parent_path());
    if (!folder.empty() && folder.back() != '/') folder += '/';
    app::CopyToField(folder, session.record().projectFolder, S8_PATH_SIZE);
    session.host().setSavePath(files::utf8FromPath(output));

    const std::int32_t result =
        app::SaveProject(session.api(), session.record(), session.buffers(), session.log());
    // The library says only that the file could not be written; the
    // folder and file tell why.
    const int problem = result == S8_FILE_ERROR ? files::writeProblem(files::utf8FromPath(output)) : 0;
    const std::string reason =
        problem != 0 ? app::FileReason(files::utf8FromPath(output), problem, session.language()) : "";
    report.setResult(result, session.language(), invocation.command, reason);
    if (!reason.empty()) report.lines.push_back(reason);
    if (result == S8_PASS) {
        describeProject(session, report);
        report.lines.clear(); // the log says it was saved; show prints the details
    }
    return report;
}

Report loadProject(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    if (app::ExtensionOf(invocation.file) != "VLX")
        throw UsageError(invocation.command + " reads project files (.vlx), not " + invocation.file,
                         invocation.command + " 只读取项目文件（.vlx），不能读取 " + invocation.file);
    if (!session.prepare(invocation, {true, BufferTab::flash, false, false}, report)) return report;
    describeProject(session, report);
    if (invocation.command == "project load") {
        report.lines.clear();
        std::int32_t saved = S8_PASS;
        if (!invocation.output.empty())
            saved = session.saveImage(invocation.output, session.buffers().flash, report);
        if (saved == S8_PASS && !invocation.eepromOutput.empty()) {
            if (session.chip()->eepromSize == 0)
                throw UsageError(std::string(session.chip()->partName) + " has no EEPROM",
                                 std::string(session.chip()->partName) + " 没有 EEPROM");
            saved = session.saveImage(invocation.eepromOutput, session.buffers().eeprom, report);
        }
        if (saved != S8_PASS) return report;
    }
    report.setResult(S8_PASS, session.language(), invocation.command);
    return report;
}

Report insertIsp(const Invocation& invocation, Session& session) {
    Report report;
    report.command = invocation.command;
    if (!session.prepare(invocation, {false, BufferTab::flash, true, false}, report)) return report;
    if (invocation.file.empty())
        session.buffers().record(BufferTab::flash).fillMode = ParseFill(invocation.fill);

    session.noteInput(invocation.ispFile);
    app::IspCodeChoice choice;
    choice.builtIn = invocation.ispFile.empty();
    choice.userFile = invocation.ispFile;
    const std::vector<std::uint8_t> before = session.buffers().flash;
    const app::IspInsertOutcome inserted = app::InsertIspCode(
        session.api(), session.record(), session.buffers(), session.log(), choice);
    report.setResult(inserted.result, session.language(),
                     inserted.damaged ? app::kDamagedFileKey : std::string_view(invocation.command),
                     inserted.reason);
    if (inserted.result != S8_PASS) return report;
    // The boot loader must not silently replace the application's own code.
    if (const auto range = OverwrittenCode(before, session.buffers().flash); range && !invocation.force)
        throw UsageError("the ISP code would overwrite the code file's bytes at " +
                             RangeText(*range) + ": make the code smaller, or pass --force",
                         "ISP代码会覆盖代码文件在 " + RangeText(*range) +
                             " 的字节：请减小代码，或加上 --force");

    const BodyInfo& chip = *session.chip();
    const SelectionTexts options =
        DescribeSelection(chip, session.record(), SelectionSource::toWrite);
    report.data["options"] = SelectionJson(options);
    report.data["ispSize"] = SizeText(SelectedIspSize(chip, session.record()));
    Json flash = Json::object();
    flash["path"] = invocation.output;
    flash["length"] = inserted.summary.length;
    flash["checksum"] = inserted.summary.bufferChecksum;
    flash["chipChecksum"] = inserted.summary.chipChecksum;
    report.data["flash"] = std::move(flash);
    const Say say(session.language());
    report.lines.push_back(say({"ISP area ", "ISP区 "}) + SizeText(SelectedIspSize(chip, session.record())) +
                           say({"; options to write with this image:", "；与此映像一起写入的选项："}));
    AppendSelectionLines(options, report.lines);
    std::string settings;
    for (const ItemText& item : options.items)
        if (item.name == "ISP_SIZE") settings += " --option ISP_SIZE=" + item.value;
    for (const BitState& bit : options.bits)
        if (bit.name == "HWBS" && bit.active) settings += " --bit HWBS=on";
    report.lines.push_back(say({"Write them with: ", "写入命令："}) + "scriba8 --part " +
                           std::string(chip.partName) + " write-options" + settings);

    // What to do with the image makes sense only once the image exists.
    if (session.saveImage(invocation.output, session.buffers().flash, report) != S8_PASS) {
        report.lines.clear();
        report.data.erase("flash");
    }
    return report;
}

} // namespace

Report RunProjectCommand(const Invocation& invocation, Session& session) {
    if (invocation.command == "project save") return saveProject(invocation, session);
    if (invocation.command == "isp-insert") return insertIsp(invocation, session);
    return loadProject(invocation, session);
}

} // namespace scriba8::cli
