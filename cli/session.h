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
#include "report.h"

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace scriba8::cli {

// The command line cannot be carried out as written (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "00" or "ff" (no filling when empty); a UsageError otherwise.
app::FillMode ParseFill(const std::string& text);

struct SessionSettings {
    app::Language language = app::Language::english;
    bool json = false;
    bool quiet = false;   // no log: errors only
    bool progress = true; // a bar on a terminal
    Answer answer = Answer::ask;
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

    // Writes bytes to an output file (Intel HEX or binary by its name),
    // logged as "Save Buffer". S8_PASS or S8_FILE_ERROR.
    std::int32_t saveImage(const std::string& path, std::span<const std::uint8_t> bytes);

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
};

} // namespace scriba8::cli
