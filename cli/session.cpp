// SPDX-License-Identifier: MIT
#include "session.h"

#include "chip_lookup.h"
#include "exit_codes.h"
#include "interruption.h"
#include "text_format.h"
#include "chip_selection.h"
#include "file_errors.h"
#include "file_paths.h"
#include "files/atomic_file.h"
#include "image_output.h"
#include "option_values.h"
#include "steps.h"
#include "texts.h"
#include "transfer_watch.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace scriba8::cli {
namespace {

UsageError unknownPart(std::span<const BodyInfo> chips, const std::string& name) {
    const std::vector<std::string> close = ClosePartNames(chips, name);
    std::string english = "unknown part \"" + name + "\"";
    std::string chinese = "未知的型号 \"" + name + "\"";
    if (!close.empty()) {
        english += "; did you mean ";
        chinese += "；您是指 ";
        for (std::size_t i = 0; i < close.size(); ++i) {
            english += (i == 0 ? "" : i + 1 == close.size() ? " or " : ", ") + close[i];
            chinese += (i == 0 ? "" : i + 1 == close.size() ? " 或 " : "、") + close[i];
        }
        english += "?";
        chinese += " 吗？";
    }
    return UsageError(english + " (scriba8 parts lists every part)",
                      chinese + "（scriba8 parts 可列出所有型号）");
}

// "2" or "0.5": seconds as the user gave them to --wait-timeout.
std::string SecondsText(std::chrono::milliseconds wait) {
    const auto ms = wait.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03d", static_cast<int>(ms % 1000));
        std::string digits(fraction);
        while (digits.back() == '0') digits.pop_back();
        text += digits;
    }
    return text;
}

} // namespace

app::FillMode ParseFill(const std::string& text) {
    if (text.empty() || text == "none") return app::FillMode::none;
    if (text == "00") return app::FillMode::zeros;
    if (text == "ff" || text == "FF") return app::FillMode::ones;
    throw UsageError("--fill takes 00 or ff, not \"" + text + "\"",
                     "--fill 只能取 00 或 ff，不能是 \"" + text + "\"");
}

Session::Session(const app::LibraryApi& api, const SessionSettings& settings)
    : api_(api),
      settings_(settings),
      printer_(settings.quiet                            ? nullptr
               : settings.json || settings.logOnStderr ? stderr
                                                       : stdout),
      bar_(stderr, settings.progress && IsTerminal(stderr)),
      hooks_(bar_.hooks()),
      host_(settings.answer, IsTerminal(stdin) && IsTerminal(stderr), stdin, stderr,
            settings.language),
      record_(std::make_unique<ContextRecord>()),
      log_(settings.language) {
    // While an export runs, its trace lines go on to -v's standard error.
    hooks_.idle = [] {
        app::PumpTransfers();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    record_->partIndex = -1;
    record_->status = &status_;
    record_->host = host_.table();
    record_->autoProcess = S8_DEFAULT_AUTO_PROCESS;
    record_->ispCodeSource = 0xFF;
    log_.setListener([this](std::string_view text, bool cleared) {
        if (!cleared) printer_.write(text);
    });
    runner_ = std::make_unique<app::DeviceRunner>(api_, *record_, log_, hooks_);
}

Session::~Session() { printer_.flush(); }

std::span<const BodyInfo> Session::chips() const {
    const BodyInfo* rows = nullptr;
    const std::int32_t count = api_.GetBodyInfo != nullptr ? api_.GetBodyInfo(&rows) : 0;
    if (rows == nullptr || count <= 0) return {};
    return {rows, static_cast<std::size_t>(count)};
}

const BodyInfo* Session::chip() const { return app::ChipRow(api_, record_->partIndex); }

void Session::selectPart(const std::string& name) {
    const std::optional<std::int32_t> row = FindPart(chips(), name);
    if (!row) throw unknownPart(chips(), name);
    app::SelectChip(api_, *record_, buffers_, *row);
}

bool Session::prepare(const Invocation& invocation, const Inputs& inputs, Report& report) {
    if (inputs.fileRequired && invocation.file.empty())
        throw UsageError(invocation.command + " needs a FILE to load",
                         invocation.command + " 需要指定要装入的 FILE");
    const bool project = !invocation.file.empty() && app::ExtensionOf(invocation.file) == "VLX";

    if (project) {
        if (inputs.tab == app::BufferTab::eeprom)
            throw UsageError(app::TextPair{"a project file cannot be loaded into the EEPROM buffer",
                                           "项目文件不能装入 EEPROM 缓冲区"});
        if (!invocation.offset.empty() || !invocation.fill.empty() || invocation.absolute)
            throw UsageError(app::TextPair{
                "--offset, --fill and --absolute apply to code files, not to projects",
                "--offset、--fill 和 --absolute 只适用于代码文件，不适用于项目文件"});
        const app::LoadOutcome loaded =
            loadFile(invocation.file, app::BufferTab::flash, 0, app::FillMode::none, false, report);
        if (loaded.result != S8_PASS) {
            report.setResult(loaded.result, language(),
                             loaded.damaged ? app::kDamagedFileKey : "project load", loaded.reason);
            return false;
        }
        const BodyInfo& projectChip = *chip();
        report.chip = chipJson();
        if (!invocation.part.empty() && FindPart(chips(), invocation.part) != record_->partIndex)
            throw UsageError(invocation.file + " is a project for " + projectChip.partName +
                                 ", but --part names " + invocation.part,
                             invocation.file + " 是 " + projectChip.partName +
                                 " 的项目，但 --part 指定的是 " + invocation.part);
        app::AdoptDecodedSelection(projectChip, *record_);
        record_->serialAddress = projectChip.flashSize >= 16 ? projectChip.flashSize - 16 : 0;
        applySettings(invocation, inputs, true);
    } else {
        if (invocation.part.empty())
            throw UsageError(app::TextPair{
                "name the chip with --part NAME (scriba8 parts lists every part)",
                "请用 --part NAME 指定芯片（scriba8 parts 可列出所有型号）"});
        selectPart(invocation.part);
        report.chip = chipJson();
        if (inputs.tab == app::BufferTab::eeprom && chip()->eepromSize == 0)
            throw UsageError(invocation.part + " has no EEPROM", invocation.part + " 没有 EEPROM");
        // Every mistake on the command line is found before anything loads.
        applySettings(invocation, inputs, false);
        if (!invocation.file.empty() && !loadCodeFile(invocation, inputs.tab, report)) return false;
    }

    if (!invocation.eepromFile.empty()) {
        const app::LoadOutcome loaded = loadFile(invocation.eepromFile, app::BufferTab::eeprom, 0,
                                                 app::FillMode::none, false, report);
        if (loaded.result != S8_PASS) {
            report.setResult(loaded.result, language(), loaded.damaged ? app::kDamagedFileKey : "load",
                         loaded.reason);
            return false;
        }
    }
    return true;
}

void Session::applySettings(const Invocation& invocation, const Inputs& inputs,
                            bool projectLoaded) {
    const BodyInfo& selected = *chip();
    if (!invocation.eepromFile.empty() && selected.eepromSize == 0)
        throw UsageError(std::string(selected.partName) + " has no EEPROM",
                         std::string(selected.partName) + " 没有 EEPROM");
    if (inputs.takesOptions) {
        if (auto error =
                ApplySettings(selected, *record_, invocation.options, invocation.bits, language()))
            throw UsageError::InLanguageOfRun(*error);
    }
    if (inputs.takesSteps && invocation.steps) {
        std::string error;
        const std::optional<std::uint16_t> steps = ParseSteps(*invocation.steps, error, language());
        if (!steps) throw UsageError::InLanguageOfRun("--steps: " + error);
        if ((*steps & S8_STEP_EEPROM_PROGRAM) != 0 && selected.eepromSize == 0)
            throw UsageError(std::string(selected.partName) +
                                 " has no EEPROM: leave eeprom-program out of --steps",
                             std::string(selected.partName) +
                                 " 没有 EEPROM：请从 --steps 中去掉 eeprom-program");
        // Without a file the EEPROM buffer is blank, and the step would
        // program 0xFF over whatever the chip holds.
        if ((*steps & S8_STEP_EEPROM_PROGRAM) != 0 && invocation.eepromFile.empty() &&
            !projectLoaded)
            throw UsageError(app::TextPair{
                "eeprom-program needs the EEPROM contents: give --eeprom-file FILE",
                "eeprom-program 需要 EEPROM 的内容：请用 --eeprom-file FILE 指定"});
        if ((*steps & S8_STEP_SAVE_CHIP_CHECKSUM) != 0 && (*steps & S8_STEP_WRITE_OPTIONS) == 0)
            throw UsageError(app::TextPair{
                "save-checksum stores the chip checksum together with the options, "
                "so it needs write-options in --steps too",
                "save-checksum 把芯片检验和与选项一起保存，因此 --steps 中还需要 write-options"});
        record_->autoProcess = *steps;
    }
}

bool Session::loadCodeFile(const Invocation& invocation, app::BufferTab tab, Report& report) {
    const std::optional<std::uint64_t> offset =
        invocation.offset.empty() ? std::optional<std::uint64_t>(0)
                                  : ParseNumber(invocation.offset, 0xFFFFFFFF);
    if (!offset)
        throw UsageError("--offset takes a byte position, decimal or 0x hex, not \"" +
                             invocation.offset + "\"",
                         "--offset 应为字节位置（十进制或 0x 十六进制），不能是 \"" +
                             invocation.offset + "\"");
    if (invocation.absolute && !invocation.offset.empty())
        throw UsageError(app::TextPair{
            "--absolute places HEX data at their own addresses: leave out --offset",
            "--absolute 将 HEX 数据放在其自身的地址上：请去掉 --offset"});
    if (invocation.absolute && !app::IsHexExtension(app::ExtensionOf(invocation.file)))
        throw UsageError(app::TextPair{"--absolute applies to Intel HEX files (.hex, .ihx, .ihex)",
                                       "--absolute 只适用于 Intel HEX 文件（.hex、.ihx、.ihex）"});
    const app::FillMode fill = ParseFill(invocation.fill);
    const app::LoadOutcome loaded = loadFile(invocation.file, tab, static_cast<std::uint32_t>(*offset),
                                             fill, invocation.absolute, report);
    if (loaded.result != S8_PASS) {
        report.setResult(loaded.result, language(), loaded.damaged ? app::kDamagedFileKey : "load",
                         loaded.reason);
        return false;
    }
    if (!invocation.absolute && loaded.hexLowestAddress && *loaded.hexLowestAddress != 0)
        report.warnings.push_back(app::LowestAddressWarning(invocation.file,
                                                            *loaded.hexLowestAddress, *offset,
                                                            language(), app::FrontEnd::commandLine));
    Json file = Json::object();
    file["path"] = invocation.file;
    file["length"] = loaded.summary.length;
    file["checksum"] = loaded.summary.bufferChecksum;
    if (tab == app::BufferTab::flash) file["chipChecksum"] = loaded.summary.chipChecksum;
    report.data["file"] = std::move(file);
    return true;
}

app::LoadOutcome Session::loadFile(const std::string& path, app::BufferTab tab,
                                   std::uint32_t offset, app::FillMode fill, bool absolute,
                                   Report& report) {
    buffers_.loadOffset = offset;
    buffers_.clearBeforeLoad = false;
    app::LoadRequest request;
    request.tab = tab;
    request.path = path;
    request.absolute = absolute;
    inputs_.push_back(path);
    request.chooseArea = [&](const app::AreaChoice&) {
        return std::optional<app::AreaChoice>(app::AreaChoice{offset, false, fill});
    };
    app::FileLoader loader(api_, *record_, buffers_, log_);
    app::LoadOutcome outcome = loader.load(request);
    report.warnings.insert(report.warnings.end(), outcome.warnings.begin(), outcome.warnings.end());
    return outcome;
}

bool Session::holdProgrammer(Report& report) {
    if (hold_) return true;
    const app::Language language = settings_.language;
    app::HoldRequest request;
    request.wait = settings_.waitTimeout;
    request.cancelled = &StopRequested;
    request.waiting = [language, limit = settings_.waitTimeout](const std::string& programmer) {
        const Say say(language);
        std::string line = say({"scriba8: the programmer (", "scriba8：编程器（"}) + programmer +
                           say({") is in use by another process; waiting until it is free",
                                "）正被另一个进程使用；正在等待其空闲"});
        if (limit) {
            const std::string seconds = SecondsText(*limit);
            line += say({" (at most ", "（最多 "}) + seconds + say({" s)", " 秒）"});
        }
        std::fprintf(stderr, "%s%s\n", line.c_str(), say({"...", "……"}).c_str());
    };
    hold_ = std::make_unique<app::ProgrammerHold>(api_, std::move(request));
    if (hold_->mayGoOn()) return true;
    const Say say(language);
    if (hold_->result() == S8_CANCELLED) {
        report.interruptedBeforeStart = true;
    } else {
        report.result = S8_PROGRAMMER_BUSY;
        report.exitStatus = kExitBusy;
        report.message = say({"The programmer is in use by another process",
                              "编程器正被另一个进程使用"});
        const std::string seconds =
            settings_.waitTimeout ? SecondsText(*settings_.waitTimeout) : std::string("0");
        report.advice =
            report.message +
            say({"; nothing was done. Waited " + seconds +
                     " s (--wait-timeout): let the other run finish, then repeat the command, or "
                     "give --wait-timeout more time.",
                 "；未执行任何操作。已等待 " + seconds +
                     " 秒（--wait-timeout）：请等另一个运行结束后重复此命令，或给 --wait-timeout "
                     "更长的时间。"});
    }
    return false;
}

std::optional<std::string> Session::overwritesInput(const std::string& path) const {
    for (const std::string& input : inputs_)
        if (files::sameFile(path, input))
            return app::FileReason(path, app::reasons::kSameAsInput, language());
    return std::nullopt;
}

std::int32_t Session::saveImage(const std::string& path, std::span<const std::uint8_t> bytes,
                                Report& report) {
    const std::uint32_t start = log_.startCommand(app::texts::kSaveBuffer);
    std::optional<std::string> reason = overwritesInput(path);
    if (!reason) {
        const files::ReadOnlyTarget readOnly = settings_.replaceReadOnlyOutputs
                                                   ? files::ReadOnlyTarget::replace
                                                   : files::ReadOnlyTarget::refuse;
        if (const int error = app::WriteImageFile(path, bytes, readOnly); error != 0) {
            const std::string shown = path == files::kStandardOutput
                                          ? Say(language())({"standard output", "标准输出"})
                                          : path;
            reason = app::FileReason(shown, error, language());
        }
    }
    log_.outcome(reason ? app::texts::kSaveFileError : app::texts::kPass);
    if (reason) log_.append(" (" + *reason + ")");
    log_.finishCommand(start);
    if (!reason) return S8_PASS;
    report.setResult(S8_FILE_ERROR, language(), "save");
    report.message =
        std::string(app::texts::kSaveFileError.in(language())) + " (" + *reason + ")";
    return S8_FILE_ERROR;
}

Json Session::chipJson() const {
    const BodyInfo* selected = chip();
    if (selected == nullptr) return Json();
    Json object = Json::object();
    object["index"] = record_->partIndex;
    object["name"] = selected->partName;
    object["series"] = SeriesName(selected->seriesMask);
    object["flashSize"] = selected->flashSize;
    object["eepromSize"] = selected->eepromSize;
    object["familyCode"] = static_cast<unsigned>(selected->familyCode);
    object["chipChecksumSupported"] = selected->chipChecksumSupported == 1;
    object["customerStringSupported"] = selected->customerStringSupported == 1;
    return object;
}

} // namespace scriba8::cli
