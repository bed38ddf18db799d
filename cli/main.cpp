// scriba8: the command-line front end. Parses the command line into an
// Invocation, runs it in a Session and prints the report.
#include "chip_lookup.h"
#include "commands.h"
#include "exit_codes.h"
#include "files/atomic_file.h"
#include "interruption.h"
#include "transfer_watch.h"
#include "library_api.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <exception>
#include <string_view>

namespace {

using scriba8::cli::Invocation;

constexpr const char* kGlobalNote =
    "Global options (--part, --lang, --json, --yes, --no, --programmer) may stand before or after "
    "the subcommand: see scriba8 --help.";

std::string mainFooter() {
    return "Files: Intel HEX (.hex, .ihx, .ihex), binary (anything else) or projects (.vlx), which also name "
           "the part.\n"
           "Output files (-o) are Intel HEX when named .hex, .ihx or .ihex, binary otherwise; -o - "
           "writes to standard output (the log then goes to standard error).\n"
           "Firmware-update questions are asked on the terminal; --yes or --no answer them in "
           "scripts, and without a terminal they are answered no.\n\n" +
           scriba8::cli::ExitStatusHelp() +
           "\nExamples:\n"
           "  scriba8 parts VS8A\n"
           "  scriba8 --programmer virtual --part VS8G132 program examples/blinky.hex\n"
           "  scriba8 --part VS8G132 write-options --option ISP_SIZE=2.0k --bit LOCK=on\n"
           "  scriba8 --part VS8G132 auto firmware.hex --steps erase,program,verify --json\n";
}

void addGlobalOptions(CLI::App& app, Invocation& invocation) {
    app.add_option("--part", invocation.part, "The chip, named exactly as scriba8 parts lists it")
        ->type_name("NAME");
    app.add_option("--lang", invocation.language, "Language of the log and advice: en or zh")
        ->check(CLI::IsMember({"en", "zh"}));
    app.add_flag("--json", invocation.json,
                 "Print one JSON object with the result and data (the log goes to stderr)");
    auto* yes = app.add_flag("--yes,-y", invocation.yes, "Answer yes to firmware-update questions");
    auto* no = app.add_flag("--no,-n", invocation.no, "Answer no to firmware-update questions");
    yes->excludes(no);
    app.add_option("--programmer", invocation.programmer,
                   "virtual: the built-in virtual programmer; usb: the first USB programmer; "
                   "usb:PATH or usb:SERIAL: the one at that device path or with that serial "
                   "number (scriba8 programmers lists them). Same values as SCRIBA8_PROGRAMMER")
        ->type_name("WHICH")
        ->check(CLI::Validator(
            [](std::string& value) -> std::string {
                if (value == "virtual" || value == "usb" ||
                    (value.starts_with("usb:") && value.size() > 4))
                    return {};
                return "--programmer takes virtual, usb, usb:PATH or usb:SERIAL, not \"" + value +
                       "\"";
            },
            "", "programmer"));
    auto* verbose = app.add_flag("--verbose,-v", invocation.verbose,
                                 "Print every report exchanged with the programmer on stderr");
    auto* quiet = app.add_flag("--quiet,-q", invocation.quiet, "Print errors only");
    verbose->excludes(quiet);
    app.add_flag("--no-progress", invocation.noProgress, "No progress bar");
}

CLI::App* addCommand(CLI::App& parent, Invocation& invocation, const std::string& name,
                     const std::string& fullName, const std::string& description) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->footer(kGlobalNote);
    command->callback([&invocation, fullName] { invocation.command = fullName; });
    return command;
}

void addFile(CLI::App* command, Invocation& invocation, bool required, const std::string& what) {
    auto* file = command->add_option("FILE", invocation.file, what)->type_name("");
    if (required) file->required();
    command->add_option("--offset", invocation.offset,
                        "Where FILE starts in the buffer (decimal or 0x hex; default 0)")
        ->type_name("BYTES");
    command->add_option("--fill", invocation.fill, "Fill the Flash buffer to the chip's size: 00 or ff")
        ->type_name("00|ff");
    command->add_flag("--absolute", invocation.absolute,
                      "Place Intel HEX data at their own addresses (data outside the chip are "
                      "refused) instead of from --offset");
}

void addSettings(CLI::App* command, Invocation& invocation) {
    command->add_option("--option", invocation.options,
                        "A hardware option, e.g. ISP_SIZE=2.0k or \"BOD1 level=Detect 4.2V\" "
                        "(scriba8 parts NAME lists them); the chip's default otherwise")
        ->type_name("NAME=VALUE")
        ->allow_extra_args(false);
    command->add_option("--bit", invocation.bits,
                        "A bit option, e.g. LOCK=on or HWBS=off (1 and 0 work too)")
        ->type_name("NAME=on|off")
        ->allow_extra_args(false);
}

void addSteps(CLI::App* command, Invocation& invocation) {
    command->add_option("--steps", invocation.steps,
                        "Auto steps, comma-separated: whole-chip-erase, erase, blank-check, "
                        "program, eeprom-program, verify, write-options, save-checksum; or "
                        "default (whole-chip-erase,blank-check,program,verify,write-options)")
        ->type_name("LIST");
}

void addEepromFile(CLI::App* command, Invocation& invocation) {
    command->add_option("--eeprom-file", invocation.eepromFile,
                        "A file for the EEPROM buffer (chips with EEPROM)")
        ->type_name("FILE");
}

void buildCommandLine(CLI::App& app, Invocation& invocation) {
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(mainFooter());
    addGlobalOptions(app, invocation);

    auto* parts = addCommand(app, invocation, "parts", "parts",
                             "List the chips with their sizes and options; with one match (or "
                             "--part) show its options in full");
    parts->add_option("FILTER", invocation.filters, "Show parts whose name contains this");
    parts->add_flag("--details", invocation.details, "Show every option's choices and defaults");

    addCommand(app, invocation, "info", "info",
               "Library version, the chip table, and whether a programmer answers "
               "(exit status 3 when none does)");
    addCommand(app, invocation, "programmers", "programmers",
               "List the connected programmers: device path, serial number, normal or "
               "boot-loader personality and firmware versions (the virtual one when selected)");
    addCommand(app, invocation, "check-id", "check-id", "Check that the chip in the socket is --part");
    addCommand(app, invocation, "erase", "erase", "Erase the chip's Flash");
    addCommand(app, invocation, "blank-check", "blank-check", "Check that the whole Flash is erased");
    addCommand(app, invocation, "whole-chip-erase", "whole-chip-erase",
               "Erase everything including the options (unlocks a locked chip), then write the "
               "default options");

    auto* program = addCommand(app, invocation, "program", "program",
                               "Erase the Flash, program FILE into it and verify it");
    addFile(program, invocation, true, "The code to program");
    program->add_flag("--no-erase", invocation.noErase,
                      "Program without erasing first (the chip must be blank)");
    program->add_flag("--no-verify", invocation.noVerify, "Do not read the chip back afterwards");
    auto* verify = addCommand(app, invocation, "verify", "verify",
                              "Compare the chip's Flash with FILE");
    addFile(verify, invocation, true, "The code to compare with");
    auto* eeprom = addCommand(app, invocation, "eeprom", "eeprom",
                              "Erase, program and check the EEPROM with FILE");
    addFile(eeprom, invocation, true, "The EEPROM contents");

    addCommand(app, invocation, "read-options", "read-options", "Read the option bytes by name");
    auto* writeOptions = addCommand(app, invocation, "write-options", "write-options",
                                    "Write the options: the chip's defaults (or with --from-chip "
                                    "its present options), changed by --option and --bit");
    addSettings(writeOptions, invocation);
    writeOptions->add_flag("--from-chip", invocation.fromChip,
                           "Start from the options the chip holds (read first), not the defaults");
    addCommand(app, invocation, "checksum", "checksum", "Read the checksum the chip keeps");

    auto* dump = addCommand(app, invocation, "dump", "dump",
                            "Read Flash, EEPROM and options back from the chip");
    dump->add_option("-o,--output", invocation.output, "File for the Flash contents")
        ->required()
        ->type_name("FILE");
    dump->add_option("--eeprom-output", invocation.eepromOutput, "File for the EEPROM contents")
        ->type_name("FILE");

    auto* autoRun = addCommand(app, invocation, "auto", "auto",
                               "Run the auto sequence on FILE: the steps in fixed order, stopping "
                               "at the first that fails");
    addFile(autoRun, invocation, true, "The code, or a project (whose steps are the default)");
    addEepromFile(autoRun, invocation);
    addSettings(autoRun, invocation);
    addSteps(autoRun, invocation);

    auto* project = app.add_subcommand("project", "Project files (.vlx)");
    project->require_subcommand(1);
    project->footer(kGlobalNote);
    auto* save = addCommand(*project, invocation, "save", "project save",
                            "Save FILE, the options and the steps as a project");
    addFile(save, invocation, false, "The code (optional for chips with EEPROM)");
    save->add_option("-o,--output", invocation.output, "The project file to write")->required();
    addEepromFile(save, invocation);
    addSettings(save, invocation);
    addSteps(save, invocation);
    save->add_option("--customer-string", invocation.customerString,
                     "Up to 16 bytes of text, for chips that take one");
    auto* load = addCommand(*project, invocation, "load", "project load",
                            "Check a project and write its code out");
    load->add_option("FILE", invocation.file, "The project")->required();
    load->add_option("-o,--output", invocation.output, "File for its Flash image");
    load->add_option("--eeprom-output", invocation.eepromOutput, "File for its EEPROM image");
    auto* show = addCommand(*project, invocation, "show", "project show", "Show what a project holds");
    show->add_option("FILE", invocation.file, "The project")->required();

    auto* isp = addCommand(app, invocation, "isp-insert", "isp-insert",
                           "Put the boot loader (ISP code) at the top of FILE's image and write "
                           "the result");
    addFile(isp, invocation, false, "The code (optional)");
    isp->add_option("-o,--output", invocation.output, "The image to write")->required();
    isp->add_option("--isp-file", invocation.ispFile,
                    "Your own ISP code (Intel HEX linked at 0, or binary); the chip's built-in "
                    "one otherwise");
    isp->add_flag("--force", invocation.force,
                  "Overwrite code bytes under the ISP area that are not 0xFF");

    auto* offline = app.add_subcommand("offline", "Stand-alone (off-line) programming");
    offline->require_subcommand(1);
    offline->footer(kGlobalNote);
    auto* download = addCommand(*offline, invocation, "download", "offline download",
                                "Store FILE and the settings in the programmer");
    addFile(download, invocation, true, "The code, or a project");
    addEepromFile(download, invocation);
    addSettings(download, invocation);
    addSteps(download, invocation);
    download->add_option("--max-count", invocation.maxCount, "Chips to program, 0 = no limit")
        ->type_name("N");
    download->add_flag("--serial", invocation.serial, "Write a serial number into each chip");
    download->add_flag("--serial-auto-increment", invocation.serialAutoIncrement,
                       "Count the serial number up for each chip");
    download->add_option("--serial-string", invocation.serialString, "Text part, up to 12 bytes");
    download->add_option("--serial-number", invocation.serialNumber, "Number part, hexadecimal")
        ->type_name("HEX");
    download->add_option("--serial-address", invocation.serialAddress,
                         "Flash address of the 16-byte serial block, hexadecimal (default: the "
                         "last 16 bytes)")
        ->type_name("HEX");
    download->add_flag("--force", invocation.force,
                       "Let the serial block overwrite code bytes that are not 0xFF");
    addCommand(*offline, invocation, "read", "offline read",
               "Show the off-line project the programmer holds");
}

// Output that never arrived (a full disk, a closed pipe) is a failure even
// when the command itself went well.
int StandardOutputFailed(int status) {
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (!failed) return status;
    std::fprintf(stderr, "scriba8: cannot write to standard output: %s\n", std::strerror(errno));
    return status != scriba8::cli::kExitOk ? status : scriba8::cli::kExitFile;
}

scriba8::app::Language languageOf(const std::string& text) {
    return text == "zh" ? scriba8::app::Language::chinese : scriba8::app::Language::english;
}


bool asksForJson(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--json") return true;
    return false;
}

// The subcommand a mistyped word most likely stands for, as a hint; empty
// when a subcommand was recognised.
std::string suggestion(const CLI::App& app) {
    if (!app.get_subcommands().empty()) return {};
    std::vector<std::string> names;
    for (const CLI::App* command : app.get_subcommands({})) names.push_back(command->get_name());
    for (const std::string& word : app.remaining()) {
        if (word.starts_with("-")) continue;
        if (auto closest = scriba8::cli::ClosestWord(names, word))
            return "unknown subcommand \"" + word + "\"; did you mean " + *closest + "?";
        return "unknown subcommand \"" + word + "\" (scriba8 --help lists them)";
    }
    return {};
}

// A command line CLI11 could not take: its message (or a better one) as a
// usage error, in JSON when asked for.
int usageFailure(const CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
    using namespace scriba8::cli;
    std::string text = error.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr ||
        dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (std::string better = suggestion(app); !better.empty()) text = better;
    }
    Report report;
    report.setUsageError(text);
    if (asksForJson(argc, argv)) {
        PrintReport(report, true, 0, stdout, stderr);
    } else {
        std::fprintf(stderr, "scriba8: %s\nRun with --help for more information.\n", text.c_str());
    }
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    using namespace scriba8::cli;
    Invocation invocation;
    CLI::App app{"scriba8: drive the Scriba8 T3Plus programmer for 8051-family microcontrollers",
                 "scriba8"};
    app.set_version_flag("--version", std::string("scriba8 ") + SCRIBA8_CLI_VERSION);
    buildCommandLine(app, invocation);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usageFailure(app, e, argc, argv);
    }

    if (!invocation.programmer.empty())
        setenv("SCRIBA8_PROGRAMMER", invocation.programmer.c_str(), 1);
    // The transfer trace: with -v it goes where the log's errors go.
    WatchTransfers(invocation.verbose);

    SessionSettings settings;
    settings.language = languageOf(invocation.language);
    settings.json = invocation.json;
    settings.quiet = invocation.quiet;
    settings.progress = !invocation.noProgress && !invocation.quiet;
    const bool dataOnStdout = invocation.output == scriba8::files::kStandardOutput ||
                              invocation.eepromOutput == scriba8::files::kStandardOutput;
    settings.logOnStderr = dataOnStdout;
    settings.answer = invocation.yes ? Answer::yes : invocation.no ? Answer::no : Answer::ask;

    WatchForInterruption();
    const auto start = std::chrono::steady_clock::now();
    Report report;
    report.command = invocation.command;
    {
        Session session(scriba8::app::DeviceLibrary(), settings);
        try {
            if (dataOnStdout && invocation.json)
                throw UsageError("--json and -o - both need standard output: name an output file");
            if (!invocation.output.empty() && invocation.output == invocation.eepromOutput)
                throw UsageError("-o and --eeprom-output name the same file");
            report = invocation.command == "programmers" ? RunProgrammersCommand(invocation, session)
                                                         : RunCommand(invocation, session);
        } catch (const UsageError& e) {
            report.chip = session.chipJson();
            report.setUsageError(e.what());
        } catch (const std::exception& e) {
            report.setResult(S8_FAIL, settings.language, invocation.command);
            report.message = std::string("internal error: ") + e.what();
        }
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (StopRequested()) {
        report.message = "interrupted: stopped after the step in progress; the steps after it "
                         "did not run";
        report.exitStatus = kExitInterrupted;
        report.advice = report.message + ". Repeat the command to carry out the whole job.";
    }
    PumpTransfers();
    if (invocation.quiet) report.lines.clear();
    // With the data on standard output, the lines that describe it go to
    // standard error like the log.
    PrintReport(report, invocation.json, static_cast<std::uint64_t>(elapsed.count()),
                dataOnStdout && !invocation.json ? stderr : stdout, stderr);
    return StandardOutputFailed(report.exitStatus);
}
