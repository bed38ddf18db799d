// SPDX-License-Identifier: MIT
// One run of the tool: the context record, the buffers and the log the
// commands share, with the chip chosen and the files loaded as the command
// line says.
#pragma once

#include "code_buffers.h"
#include "console.h"
#include "device_runner.h"
#include "file_loader.h"
#include "invocation.h"
#include "library_api.h"
#include "operation_log.h"
#include "programmer_hold.h"
#include "report.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace scriba8::cli {

// The command line cannot be carried out as written (exit status 2). Its
// text comes in both languages; what() is the English one.
class UsageError : public std::runtime_error {
public:
    UsageError(const std::string& english, std::string chinese)
        : std::runtime_error(english), chinese_(std::move(chinese)) {}
    explicit UsageError(const app::TextPair& text)
        : UsageError(std::string(text.english), std::string(text.chinese)) {}
    // A text made in the language of the run only.
    static UsageError InLanguageOfRun(const std::string& text) { return UsageError(text, text); }

    std::string text(app::Language language) const {
        return language == app::Language::chinese && !chinese_.empty() ? chinese_ : what();
    }

private:
    std::string chinese_;
};

// "00" or "ff" (no filling when empty); a UsageError otherwise.
app::FillMode ParseFill(const std::string& text);

struct SessionSettings {
    app::Language language = app::Language::english;
    bool json = false;
    bool quiet = false;   // no log: errors only
    bool progress = true; // a bar on a terminal
    bool logOnStderr = false; // standard output carries data (JSON or "-o -")
    Answer answer = Answer::ask;
    // --force: output files without write permission are replaced too.
    bool replaceReadOnlyOutputs = false;
    // How long to wait for a programmer another process uses: nothing =
    // until it is free.
    std::optional<std::chrono::milliseconds> waitTimeout;
};

class Session {
public:
    Session(const app::LibraryApi& api, const SessionSettings& settings);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const app::LibraryApi& api() const { return api_; }
    ContextRecord& record() { return *record_; }
    app::CodeBuffers& buffers() { return buffers_; }
    app::OperationLog& log() { return log_; }
    app::DeviceRunner& runner() { return *runner_; }
    HostPrompts& host() { return host_; }
    const app::ProgressHooks& progress() const { return hooks_; }
    app::Language language() const { return settings_.language; }
    bool quiet() const { return settings_.quiet; }

    std::span<const BodyInfo> chips() const;
    // The selected chip; null before one is chosen.
    const BodyInfo* chip() const;

    // Chooses the part named exactly; a UsageError naming close matches
    // otherwise.
    void selectPart(const std::string& name);

    // The chip from --part, or from a project file given as FILE, then FILE
    // into the buffer of tab, the EEPROM file, the option settings and the
    // steps. A failed load ends in report (false); usage errors throw.
    struct Inputs {
        bool fileRequired = false;
        app::BufferTab tab = app::BufferTab::flash;
        bool takesOptions = false;
        bool takesSteps = false;
    };
    bool prepare(const Invocation& invocation, const Inputs& inputs, Report& report);

    // Loads one file into a tab, logged as "Load File". A failure goes into
    // report with its reason, warnings go there too.
    app::LoadOutcome loadFile(const std::string& path, app::BufferTab tab, std::uint32_t offset,
                              app::FillMode fill, bool absolute, Report& report);

    // Writes bytes to an output file (Intel HEX or binary by its name; "-"
    // is standard output), logged as "Save Buffer". S8_PASS or
    // S8_FILE_ERROR; on failure report gets the result and the reason.
    // An output that is one of the run's input files is refused.
    std::int32_t saveImage(const std::string& path, std::span<const std::uint8_t> bytes,
                           Report& report);

    // Holds the programmer for the rest of the run, so that the command's
    // exports follow each other with nobody in between. False when the run
    // must not go on: report then says why (busy, or interrupted while
    // waiting: nothing was done).
    bool holdProgrammer(Report& report);

    // A file the run reads besides those it loads (the ISP code file).
    void noteInput(const std::string& path) { inputs_.push_back(path); }
    // The reason when writing path would overwrite one of the run's inputs.
    std::optional<std::string> overwritesInput(const std::string& path) const;

    // The chip in JSON, for the report.
    Json chipJson() const;

private:
    // The option settings and steps of the command line, for the chip now
    // selected (from a project when projectLoaded); usage errors throw.
    void applySettings(const Invocation& invocation, const Inputs& inputs, bool projectLoaded);
    bool loadCodeFile(const Invocation& invocation, app::BufferTab tab, Report& report);

    const app::LibraryApi& api_;
    SessionSettings settings_;
    LogPrinter printer_;
    ProgressBar bar_;
    app::ProgressHooks hooks_;
    HostPrompts host_;
    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_;
    app::CodeBuffers buffers_;
    app::OperationLog log_;
    std::unique_ptr<app::DeviceRunner> runner_;
    std::vector<std::string> inputs_;
    std::unique_ptr<app::ProgrammerHold> hold_;
};

} // namespace scriba8::cli
