// SPDX-License-Identifier: MIT
// scriba8: the command-line front end. Parses the command line into an
// Invocation, runs it in a Session and prints the report.
#include "chip_lookup.h"
#include "commands.h"
#include "exit_codes.h"
#include "files/atomic_file.h"
#include "files/environment.h"
#include "help_format.h"
#include "text_format.h"
#include "interruption.h"
#include "platform.h"
#include "transfer_watch.h"
#include "library_api.h"
#include "usage_errors.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using scriba8::app::Language;
using scriba8::app::TextPair;
using scriba8::cli::Invocation;

// Whether the library understands a programmer selection (empty: the first
// USB programmer).
bool SelectionUnderstood(const std::string& text) {
    const scriba8::app::LibraryApi& api = scriba8::app::DeviceLibrary();
    if (api.SelectProgrammer == nullptr) return true;
    const bool understood = api.SelectProgrammer(text.c_str()) == S8_PASS;
    api.SelectProgrammer(nullptr); // the process-wide selection stays in force
    return understood;
}

// Commands whose printed lines are what the user asked for.
bool AnswersWithItsLines(std::string_view command) {
    for (const std::string_view answering :
         {"checksum", "read-options", "info", "programmers", "parts", "project show", "offline read"})
        if (command == answering) return true;
    return false;
}

// Seconds, whole or with up to three decimals, up to a day.
std::optional<std::chrono::milliseconds> ParseWaitTimeout(const std::string& text) {
    std::uint64_t whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        whole = whole * 10 + static_cast<unsigned>(text[i] - '0');
        if (whole > 86400) return std::nullopt;
    }
    if (i == 0) return std::nullopt;
    std::uint64_t millis = 0;
    if (i < text.size() && text[i] == '.') {
        std::uint64_t scale = 100;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9' && scale > 0; ++i, scale /= 10)
            millis += scale * static_cast<unsigned>(text[i] - '0');
    }
    if (i != text.size()) return std::nullopt;
    return std::chrono::milliseconds(whole * 1000 + millis);
}

// Every text of the command line is a pair; the language the user asked
// for picks one. Known before the command line is built, since --help is
// answered while parsing.
using scriba8::cli::Say;

constexpr TextPair kGlobalNote{
    "Global options (--part, --lang, --json, --yes, --no, --programmer) may stand before or after "
    "the subcommand: see scriba8 --help.",
    "全局选项（--part、--lang、--json、--yes、--no、--programmer）可写在子命令之前或之后："
    "见 scriba8 --help。"};

std::string mainFooter(const Say& say) {
    return say({"Files: Intel HEX (.hex, .ihx, .ihex), binary (anything else) or projects (.vlx), "
                "which also name the part.\n",
                "文件：Intel HEX（.hex、.ihx、.ihex）、二进制文件（其他扩展名）或项目文件（.vlx，"
                "其中也指定了芯片型号）。\n"}) +
           say({"Output files (-o) are Intel HEX when named .hex, .ihx or .ihex, binary otherwise; "
                "-o - writes to standard output (the log then goes to standard error).\n",
                "输出文件（-o）以 .hex、.ihx 或 .ihex 结尾时写成 Intel HEX，否则写成二进制文件；"
                "-o - 写到标准输出（此时日志输出到标准错误）。\n"}) +
           say({"Firmware-update questions are asked on the terminal; --yes or --no answer them in "
                "scripts, and without a terminal they are answered no.\n\n",
                "固件更新的提问在终端上询问；脚本中可用 --yes 或 --no 回答，没有终端时一律回答 no。"
                "\n\n"}) +
           scriba8::cli::ExitStatusHelp(say.language()) + say({"\nExamples:\n", "\n示例:\n"}) +
           "  scriba8 parts VS8A\n"
           "  scriba8 --programmer virtual --part VS8G132 program examples/blinky.hex\n"
           "  scriba8 --part VS8G132 write-options --option ISP_SIZE=2.0k --bit LOCK=on\n"
           "  scriba8 --part VS8G132 auto firmware.hex --steps erase,program,verify --json\n";
}

void addGlobalOptions(CLI::App& app, Invocation& invocation, const Say& say) {
    app.add_option("--part", invocation.part,
                   say({"The chip, named exactly as scriba8 parts lists it",
                        "芯片型号，名称与 scriba8 parts 列出的一致"}))
        ->type_name("NAME");
    app.add_option("--lang", invocation.language,
                   say({"Language of messages, help and tables: en or zh",
                        "信息、帮助和表格的语言：en（英文）或 zh（中文）"}))
        ->check(CLI::IsMember({"en", "zh"}));
    app.add_flag("--json", invocation.json,
                 say({"Print one JSON object with the result and data (the log goes to stderr)",
                      "输出一个包含结果和数据的 JSON 对象（日志输出到标准错误）"}));
    auto* yes = app.add_flag("--yes,-y", invocation.yes,
                             say({"Answer yes to firmware-update questions", "对固件更新的提问回答 yes"}));
    auto* no = app.add_flag("--no,-n", invocation.no,
                            say({"Answer no to firmware-update questions", "对固件更新的提问回答 no"}));
    yes->excludes(no);
    const std::string wrongProgrammer =
        say({"--programmer takes virtual, virtual:STATEFILE, usb, usb:PATH or usb:SERIAL, not ",
             "只能取 virtual、virtual:STATEFILE、usb、usb:PATH 或 usb:SERIAL，不能是 "});
    app.add_option("--programmer", invocation.programmer,
                   say({"virtual: the built-in virtual programmer (virtual:STATEFILE: the one "
                        "kept in that state file); usb: the first USB programmer; "
                        "usb:PATH or usb:SERIAL: the one at that device path or with that serial "
                        "number (scriba8 programmers lists them). Same values as SCRIBA8_PROGRAMMER, "
                        "which it overrides",
                        "virtual：内置的虚拟编程器（virtual:STATEFILE：保存在该状态文件中的虚拟编程器）；"
                        "usb：第一个USB编程器；usb:PATH 或 usb:SERIAL："
                        "位于该设备路径或具有该序列号的编程器（scriba8 programmers 可列出）。"
                        "取值与 SCRIBA8_PROGRAMMER 相同，并优先于它"}))
        ->type_name("WHICH")
        ->check(CLI::Validator(
            [wrongProgrammer](std::string& value) -> std::string {
                if (SelectionUnderstood(value)) return {};
                return wrongProgrammer + "\"" + value + "\"";
            },
            "", "programmer"));
    const std::string wrongWait =
        say({"--wait-timeout takes a number of seconds (0: do not wait), not ",
             "--wait-timeout 应为秒数（0：不等待），不能是 "});
    app.add_option("--wait-timeout", invocation.waitTimeout,
                   say({"While another process uses the programmer, wait at most this long (0: do "
                        "not wait), then end with exit status 10; without it, wait until it is free",
                        "编程器正被另一个进程使用时，最多等待这么长时间（0：不等待），之后以退出状态 10 "
                        "结束；不指定时一直等到其空闲"}))
        ->type_name("SECONDS")
        ->check(CLI::Validator(
            [wrongWait](std::string& value) -> std::string {
                if (ParseWaitTimeout(value)) return {};
                return wrongWait + "\"" + value + "\"";
            },
            "", "seconds"));
    auto* verbose = app.add_flag("--verbose,-v", invocation.verbose,
                                 say({"Print every report exchanged with the programmer on stderr",
                                      "在标准错误上打印与编程器交换的每个报文"}));
    auto* quiet = app.add_flag("--quiet,-q", invocation.quiet, say({"Print errors only", "只打印错误"}));
    verbose->excludes(quiet);
    app.add_flag("--no-progress", invocation.noProgress, say({"No progress bar", "不显示进度条"}));
}

CLI::App* addGroup(CLI::App& parent, const std::string& name, const std::string& description,
                   const Say& say) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->footer(say(kGlobalNote));
    const auto* format = dynamic_cast<const scriba8::cli::HelpFormatter*>(parent.get_formatter().get());
    if (format != nullptr) command->group(format->subcommandHeading());
    return command;
}

CLI::App* addCommand(CLI::App& parent, Invocation& invocation, const std::string& name,
                     const std::string& fullName, const std::string& description, const Say& say) {
    CLI::App* command = addGroup(parent, name, description, say);
    command->callback([&invocation, fullName] { invocation.command = fullName; });
    return command;
}

void addFile(CLI::App* command, Invocation& invocation, bool required, const std::string& what,
             const Say& say) {
    auto* file = command->add_option("FILE", invocation.file, what)->type_name("");
    if (required) file->required();
    command->add_option("--offset", invocation.offset,
                        say({"Where FILE starts in the buffer (decimal or 0x hex; default 0)",
                             "FILE 在缓冲区中的起始位置（十进制或 0x 十六进制；默认为 0）"}))
        ->type_name("BYTES");
    command->add_option("--fill", invocation.fill,
                        say({"Fill the Flash buffer to the chip's size: 00 or ff",
                             "将 Flash 缓冲区填充到芯片容量：00 或 ff"}))
        ->type_name("00|ff");
    command->add_flag("--absolute", invocation.absolute,
                      say({"Place Intel HEX data at their own addresses (data outside the chip are "
                           "refused) instead of from --offset",
                           "将 Intel HEX 数据放在其自身的地址上（超出芯片的数据会被拒绝），"
                           "而不是从 --offset 开始"}));
}

// Somebody made a file read-only on purpose: replacing it takes a word.
void addForceOutputs(CLI::App* command, Invocation& invocation, const Say& say) {
    command->add_flag("--force", invocation.force,
                      say({"Replace an output file without write permission (even as root, a "
                           "read-only output is refused without it)",
                           "替换没有写权限的输出文件（没有此选项时，即使是 root 也不会覆盖只读的输出文件）"}));
}

void addSettings(CLI::App* command, Invocation& invocation, const Say& say) {
    command->add_option("--option", invocation.options,
                        say({"A hardware option, e.g. ISP_SIZE=2.0k or \"BOD1 level=Detect 4.2V\" "
                             "(scriba8 parts NAME lists them); the chip's default otherwise",
                             "一个硬件选项，例如 ISP_SIZE=2.0k 或 \"BOD1 level=Detect 4.2V\""
                             "（scriba8 parts NAME 可列出）；未给出时使用芯片的默认值"}))
        ->type_name("NAME=VALUE")
        ->allow_extra_args(false);
    command->add_option("--bit", invocation.bits,
                        say({"A bit option, e.g. LOCK=on or HWBS=off (1 and 0 work too)",
                             "一个位选项，例如 LOCK=on 或 HWBS=off（也可以用 1 和 0）"}))
        ->type_name("NAME=on|off")
        ->allow_extra_args(false);
}

void addSteps(CLI::App* command, Invocation& invocation, const Say& say) {
    command->add_option("--steps", invocation.steps,
                        say({"Auto steps, comma-separated: whole-chip-erase, erase, blank-check, "
                             "program, eeprom-program, verify, write-options, save-checksum; or "
                             "default (whole-chip-erase,blank-check,program,verify,write-options)",
                             "自动步骤，用逗号分隔：whole-chip-erase、erase、blank-check、program、"
                             "eeprom-program、verify、write-options、save-checksum；或 default（即 "
                             "whole-chip-erase、blank-check、program、verify、write-options）"}))
        ->type_name("LIST");
}

void addEepromFile(CLI::App* command, Invocation& invocation, const Say& say) {
    command->add_option("--eeprom-file", invocation.eepromFile,
                        say({"A file for the EEPROM buffer (chips with EEPROM)",
                             "装入 EEPROM 缓冲区的文件（适用于带 EEPROM 的芯片）"}))
        ->type_name("FILE");
}

// produce and report: production runs from this computer.
void addProductionCommands(CLI::App& app, Invocation& invocation, const Say& say) {
    auto* produce = addCommand(app, invocation, "produce", "produce",
                               say({"Program chip after chip on one or more programmers, each chip with its own "
                                    "serial number and a record of every attempt",
                                    "在一个或多个编程器上逐片编程，每个芯片有自己的序列号，每次尝试都有记录"}),
                               say);
    addFile(produce, invocation, true, say({"The code, or a project", "代码或项目文件"}), say);
    addEepromFile(produce, invocation, say);
    addSettings(produce, invocation, say);
    addSteps(produce, invocation, say);
    produce->add_option("--programmer", invocation.programmers,
                        say({"A programmer to use, as the global --programmer takes it, plus virtual:STATEFILE; "
                             "repeat it for several, or all for every connected USB programmer",
                             "要使用的编程器，取值同全局 --programmer，另可用 virtual:STATEFILE；可重复给出多个，"
                             "或用 all 表示所有已连接的USB编程器"}))
        ->type_name("WHICH")
        ->allow_extra_args(false);
    produce->add_option("--serial", invocation.serialSpec,
                        say({"Continuous serial numbers: start=N,step=N,size=N,address=A[,order=le|be]"
                             "[,format=bin|dec|hex] (size 1 to 8 bytes; dec and hex write ASCII digits); with "
                             "--serial-list only address=A",
                             "连续的序列号：start=N,step=N,size=N,address=A[,order=le|be][,format=bin|dec|hex]"
                             "（size 为 1 到 8 字节；dec 和 hex 写入ASCII数字）；与 --serial-list 一起时只给 "
                             "address=A"}))
        ->type_name("RULE");
    produce->add_option("--serial-list", invocation.serialList,
                        say({"Serial numbers from a file, one a line: hex bytes (01 A2 FF) or text in double "
                             "quotes; # starts a comment",
                             "从文件读取序列号，每行一个：十六进制字节（01 A2 FF）或双引号中的文字；# 开始注释"}))
        ->type_name("FILE");
    produce->add_option("--serial-string", invocation.serialString,
                        say({"The programmer's own serial block: its text part, up to 12 bytes",
                             "编程器自己的序列号块：文字部分，最多 12 字节"}));
    produce->add_option("--serial-number", invocation.serialNumber,
                        say({"The serial block's first number, hexadecimal, counting up chip by chip",
                             "序列号块的起始数字，十六进制，逐片加一"}))
        ->type_name("HEX");
    produce->add_option("--serial-address", invocation.serialAddress,
                        say({"Flash address of the serial block, hexadecimal (default: the last 16 bytes)",
                             "序列号块在 Flash 中的地址，十六进制（默认为最后 16 字节）"}))
        ->type_name("HEX");
    produce->add_option("--journal", invocation.journal,
                        say({"The allocation journal: no number it has handed out is handed out again, across "
                             "runs and crashes",
                             "分配记录文件：已分配的号码不会再次分配，跨运行、跨崩溃都有效"}))
        ->type_name("FILE");
    produce->add_flag("--reuse-failed", invocation.reuseFailed,
                      say({"Hand out again the numbers of chips that failed before their image was written",
                           "再次分配在映像写入前就失败的芯片的号码"}));
    produce->add_option("--log", invocation.logFile,
                        say({"Append a record of every attempt (JSON Lines)", "为每次尝试追加一条记录（JSON Lines）"}))
        ->type_name("FILE.jsonl");
    produce->add_option("--csv", invocation.csvFile,
                        say({"Append the records as CSV too", "同时以 CSV 追加记录"}))
        ->type_name("FILE");
    produce->add_option("--count", invocation.count,
                        say({"Stop after N good chips in all", "共有 N 个成功的芯片后停止"}))
        ->type_name("N");
    produce->add_flag("--continuous", invocation.continuous,
                      say({"After each chip, wait until the socket is emptied and a new chip is in, then "
                           "program it (Check ID watches); without it each programmer programs one chip",
                           "每个芯片之后，等到插座被清空并放入新芯片再编程（用检查ID监视）；不指定时每个编程器只编程一个芯片"}));
    produce->add_option("--poll", invocation.pollMs,
                        say({"How often --continuous looks at the socket, in ms (default 200)",
                             "--continuous 查看插座的间隔，毫秒（默认 200）"}))
        ->type_name("MS");
    produce->add_flag("--force", invocation.force,
                      say({"Let the serial number overwrite code bytes that are not 0xFF",
                           "允许序列号覆盖不是 0xFF 的代码字节"}));

    auto* report = addCommand(app, invocation, "report", "report",
                              say({"Totals, yield, chips per hour, failures and serial-number gaps of production "
                                   "logs",
                                   "生产记录的总数、良率、每小时芯片数、失败统计和序列号缺号"}),
                              say);
    report->add_option("LOG", invocation.logs, say({"Production logs (JSON Lines)", "生产记录（JSON Lines）"}))
        ->required();
    report->add_option("--journal", invocation.journal,
                       say({"The runs' serial journal: numbers handed out but never recorded (a run that died "
                            "mid-chip) count too",
                            "这些运行的序列号记录文件：已分配但没有记录的号码（运行在编程中途结束）也计算在内"}))
        ->type_name("FILE");
}

void buildCommandLine(CLI::App& app, Invocation& invocation, const Say& say) {
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(mainFooter(say));
    addGlobalOptions(app, invocation, say);

    auto* parts = addCommand(app, invocation, "parts", "parts",
                             say({"List the chips with their sizes and options; with one match (or "
                                  "--part) show its options in full",
                                  "列出芯片及其容量和选项；只有一个匹配（或给出 --part）时"
                                  "完整显示其选项"}),
                             say);
    parts->add_option("FILTER", invocation.filters,
                      say({"Show parts whose name contains this", "只显示名称中包含此文字的型号"}));
    parts->add_flag("--details", invocation.details,
                    say({"Show every option's choices and defaults", "显示每个选项的可选值和默认值"}));

    addCommand(app, invocation, "info", "info",
               say({"Library version, the chip table, and whether a programmer answers "
                    "(exit status 3 when none does)",
                    "库版本、芯片表，以及是否有编程器应答（没有时退出状态为 3）"}),
               say);
    addCommand(app, invocation, "programmers", "programmers",
               say({"List the connected programmers: device path, serial number, normal or "
                    "boot-loader personality and firmware versions (the virtual one when selected)",
                    "列出已连接的编程器：设备路径、序列号、正常或引导程序（boot loader）模式以及"
                    "固件版本（选用虚拟编程器时列出虚拟编程器）"}),
               say);
    addCommand(app, invocation, "check-id", "check-id",
               say({"Check that the chip in the socket is --part", "检查插座中的芯片是否为 --part 指定的型号"}),
               say);
    addCommand(app, invocation, "erase", "erase", say({"Erase the chip's Flash", "擦除芯片的 Flash"}),
               say);
    addCommand(app, invocation, "blank-check", "blank-check",
               say({"Check that the whole Flash is erased", "检查整个 Flash 是否已擦除（查空）"}), say);
    addCommand(app, invocation, "whole-chip-erase", "whole-chip-erase",
               say({"Erase everything including the options (unlocks a locked chip), then write the "
                    "default options",
                    "擦除包括选项在内的全部内容（可为加密上锁的芯片解锁），然后写入默认选项"}),
               say);

    auto* program = addCommand(app, invocation, "program", "program",
                               say({"Erase the Flash, program FILE into it and verify it",
                                    "擦除 Flash，将 FILE 编程写入，然后校验"}),
                               say);
    addFile(program, invocation, true, say({"The code to program", "要编程的代码"}), say);
    program->add_flag("--no-erase", invocation.noErase,
                      say({"Program without erasing first (the chip must be blank)",
                           "编程前不擦除（芯片必须是空白的）"}));
    program->add_flag("--no-verify", invocation.noVerify,
                      say({"Do not read the chip back afterwards", "编程后不回读芯片校验"}));
    auto* verify = addCommand(app, invocation, "verify", "verify",
                              say({"Compare the chip's Flash with FILE", "将芯片的 Flash 与 FILE 比较"}),
                              say);
    addFile(verify, invocation, true, say({"The code to compare with", "用于比较的代码"}), say);
    auto* eeprom = addCommand(app, invocation, "eeprom", "eeprom",
                              say({"Erase, program and check the EEPROM with FILE",
                                   "用 FILE 擦除、编程并检查 EEPROM"}),
                              say);
    addFile(eeprom, invocation, true, say({"The EEPROM contents", "EEPROM 的内容"}), say);

    addCommand(app, invocation, "read-options", "read-options",
               say({"Read the option bytes by name", "读取选项字节并按名称显示"}), say);
    auto* writeOptions = addCommand(app, invocation, "write-options", "write-options",
                                    say({"Write the options: the chip's defaults (or with --from-chip "
                                         "its present options), changed by --option and --bit",
                                         "写入选项：以芯片的默认值（或用 --from-chip 时以芯片现有的选项）"
                                         "为基础，按 --option 和 --bit 修改"}),
                                    say);
    addSettings(writeOptions, invocation, say);
    writeOptions->add_flag("--from-chip", invocation.fromChip,
                           say({"Start from the options the chip holds (read first), not the defaults",
                                "以芯片中现有的选项（先读取）为基础，而不是默认值"}));
    addCommand(app, invocation, "checksum", "checksum",
               say({"Read the checksum the chip keeps", "读取芯片保存的检验和"}), say);

    auto* dump = addCommand(app, invocation, "dump", "dump",
                            say({"Read Flash, EEPROM and options back from the chip",
                                 "从芯片读出 Flash、EEPROM 和选项"}),
                            say);
    dump->add_option("-o,--output", invocation.output,
                     say({"File for the Flash contents", "保存 Flash 内容的文件"}))
        ->required()
        ->type_name("FILE");
    dump->add_option("--eeprom-output", invocation.eepromOutput,
                     say({"File for the EEPROM contents", "保存 EEPROM 内容的文件"}))
        ->type_name("FILE");
    addForceOutputs(dump, invocation, say);

    auto* autoRun = addCommand(app, invocation, "auto", "auto",
                               say({"Run the auto sequence on FILE: the steps in fixed order, stopping "
                                    "at the first that fails",
                                    "对 FILE 执行自动流程：按固定顺序执行各步骤，遇到第一个失败的步骤即停止"}),
                               say);
    addFile(autoRun, invocation, true,
            say({"The code, or a project (whose steps are the default)",
                 "代码或项目文件（项目中的步骤作为默认步骤）"}),
            say);
    addEepromFile(autoRun, invocation, say);
    addSettings(autoRun, invocation, say);
    addSteps(autoRun, invocation, say);

    auto* project = addGroup(app, "project", say({"Project files (.vlx)", "项目文件（.vlx）"}), say);
    project->require_subcommand(1);
    auto* save = addCommand(*project, invocation, "save", "project save",
                            say({"Save FILE, the options and the steps as a project",
                                 "将 FILE、选项和步骤保存为项目"}),
                            say);
    addFile(save, invocation, false,
            say({"The code (optional for chips with EEPROM)", "代码（带 EEPROM 的芯片可不给出）"}), say);
    save->add_option("-o,--output", invocation.output,
                     say({"The project file to write", "要写入的项目文件"}))
        ->required();
    addEepromFile(save, invocation, say);
    addSettings(save, invocation, say);
    addSteps(save, invocation, say);
    save->add_option("--customer-string", invocation.customerString,
                     say({"Up to 16 bytes of text, for chips that take one",
                          "最多 16 字节的文字，适用于支持客户字符串的芯片"}));
    auto* load = addCommand(*project, invocation, "load", "project load",
                            say({"Check a project and write its code out", "检查项目并写出其中的代码"}),
                            say);
    load->add_option("FILE", invocation.file, say({"The project", "项目文件"}))->required();
    load->add_option("-o,--output", invocation.output,
                     say({"File for its Flash image", "保存其 Flash 映像的文件"}));
    load->add_option("--eeprom-output", invocation.eepromOutput,
                     say({"File for its EEPROM image", "保存其 EEPROM 映像的文件"}));
    addForceOutputs(load, invocation, say);
    auto* show = addCommand(*project, invocation, "show", "project show",
                            say({"Show what a project holds", "显示项目的内容"}), say);
    show->add_option("FILE", invocation.file, say({"The project", "项目文件"}))->required();

    auto* isp = addCommand(app, invocation, "isp-insert", "isp-insert",
                           say({"Put the boot loader (ISP code) at the top of FILE's image and write "
                                "the result",
                                "将引导程序（ISP代码）放到 FILE 映像的顶端，并写出结果"}),
                           say);
    addFile(isp, invocation, false, say({"The code (optional)", "代码（可不给出）"}), say);
    isp->add_option("-o,--output", invocation.output, say({"The image to write", "要写入的映像文件"}))
        ->required();
    isp->add_option("--isp-file", invocation.ispFile,
                    say({"Your own ISP code (Intel HEX linked at 0, or binary); the chip's built-in "
                         "one otherwise",
                         "自己的ISP代码（链接到地址 0 的 Intel HEX，或二进制文件）；"
                         "未给出时使用芯片内置的ISP代码"}));
    isp->add_flag("--force", invocation.force,
                  say({"Overwrite code bytes under the ISP area that are not 0xFF, and replace an "
                       "output file without write permission",
                       "覆盖ISP区内不是 0xFF 的代码字节，并替换没有写权限的输出文件"}));

    auto* offline = addGroup(app, "offline",
                             say({"Stand-alone (off-line) programming", "脱机（独立）编程"}), say);
    offline->require_subcommand(1);
    auto* download = addCommand(*offline, invocation, "download", "offline download",
                                say({"Store FILE and the settings in the programmer",
                                     "将 FILE 和设置保存到编程器中"}),
                                say);
    addFile(download, invocation, true, say({"The code, or a project", "代码或项目文件"}), say);
    addEepromFile(download, invocation, say);
    addSettings(download, invocation, say);
    addSteps(download, invocation, say);
    download->add_option("--max-count", invocation.maxCount,
                         say({"Chips to program, 0 = no limit", "要编程的芯片数量，0 表示不限"}))
        ->type_name("N");
    download->add_flag("--serial", invocation.serial,
                       say({"Write a serial number into each chip", "在每个芯片中写入序列号"}));
    download->add_flag("--serial-auto-increment", invocation.serialAutoIncrement,
                       say({"Count the serial number up for each chip", "每编程一个芯片序列号加一"}));
    download->add_option("--serial-string", invocation.serialString,
                         say({"Text part, up to 12 bytes", "文字部分，最多 12 字节"}));
    download->add_option("--serial-number", invocation.serialNumber,
                         say({"Number part, hexadecimal", "数字部分，十六进制"}))
        ->type_name("HEX");
    download->add_option("--serial-address", invocation.serialAddress,
                         say({"Flash address of the 16-byte serial block, hexadecimal (default: the "
                              "last 16 bytes)",
                              "16 字节序列号块在 Flash 中的地址，十六进制（默认为最后 16 字节）"}))
        ->type_name("HEX");
    download->add_flag("--force", invocation.force,
                       say({"Let the serial block overwrite code bytes that are not 0xFF",
                            "允许序列号块覆盖不是 0xFF 的代码字节"}));
    addCommand(*offline, invocation, "read", "offline read",
               say({"Show the off-line project the programmer holds", "显示编程器中保存的脱机项目"}),
               say);
    addProductionCommands(app, invocation, say);
}

// Output that never arrived (a full disk, a closed pipe) is a failure even
// when the command itself went well.
int StandardOutputFailed(int status, const Say& say) {
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (!failed) return status;
    const int error = errno;
    std::fprintf(stderr, "scriba8: %s%s\n",
                 say({"cannot write to standard output: ", "无法写入标准输出："}).c_str(),
                 std::strerror(error));
    return status != scriba8::cli::kExitOk ? status : scriba8::cli::kExitFile;
}

// The language of the command line, looked for before it is parsed: --lang
// may stand anywhere, before or after the subcommand. A value other than
// en or zh is left for the parser to refuse.
Language languageOf(int argc, char** argv) {
    std::string_view chosen;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--") break;
        if (word == "--lang" && i + 1 < argc) chosen = argv[++i];
        if (word.starts_with("--lang=")) chosen = word.substr(7);
    }
    return chosen == "zh" ? Language::chinese : Language::english;
}

bool asksForJson(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--json") return true;
    return false;
}

// A usage error found after parsing, in JSON when asked for.
int plainUsageFailure(const std::string& text, Language language, bool json) {
    using namespace scriba8::cli;
    Report report;
    report.setUsageError(text);
    if (json) {
        PrintReport(report, true, 0, stdout, stderr);
    } else {
        std::fprintf(stderr, "scriba8: %s\n%s\n", text.c_str(),
                     std::string(kMoreHelpHint.in(language)).c_str());
    }
    return kExitUsage;
}

// A command line CLI11 could not take: its message (or a better one) as a
// usage error, in JSON when asked for.
int usageFailure(const CLI::App& app, const CLI::ParseError& error, Language language, int argc,
                 char** argv) {
    using namespace scriba8::cli;
    const std::string text = ParseErrorText(app, error, language);
    Report report;
    report.setUsageError(text);
    if (asksForJson(argc, argv)) {
        PrintReport(report, true, 0, stdout, stderr);
    } else {
        std::fprintf(stderr, "scriba8: %s\n%s\n", text.c_str(),
                     std::string(kMoreHelpHint.in(language)).c_str());
    }
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    using namespace scriba8::cli;
    std::vector<std::string> words = PrepareProcess(argc, argv);
    std::vector<char*> wordPointers;
    for (std::string& word : words) wordPointers.push_back(word.data());
    argc = static_cast<int>(wordPointers.size());
    argv = wordPointers.data();
    Invocation invocation;
    const Language language = languageOf(argc, argv);
    const Say say(language);
    CLI::App app{say({"scriba8: drive the Scriba8 T3Plus programmer for 8051-family microcontrollers",
                      "scriba8：驱动 Scriba8 T3Plus 编程器，为 8051 系列单片机编程"}),
                 "scriba8"};
    app.formatter(std::make_shared<HelpFormatter>(language));
    // On Windows CLI11 would take /NAME for an option: a path such as
    // /dev/null or one of Wine's would be lost.
    app.allow_windows_style_options(false);
    app.set_help_flag("-h,--help", say({"Print this help message and exit", "显示本帮助信息并退出"}));
    app.set_version_flag("--version", std::string("scriba8 ") + SCRIBA8_CLI_VERSION,
                         say({"Display program version information and exit", "显示程序版本信息并退出"}));
    buildCommandLine(app, invocation, say);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        // --help and --version are output like any other: a full disk or a
        // closed stream is a failure.
        return StandardOutputFailed(app.exit(e), say);
    } catch (const CLI::ParseError& e) {
        return usageFailure(app, e, language, argc, argv);
    }

    if (!invocation.programmer.empty())
        scriba8::files::setEnvironmentValue("SCRIBA8_PROGRAMMER", invocation.programmer);
    // A mistyped selection never falls back to some other programmer: it is
    // a usage error whichever way it was given.
    if (const std::string fromEnvironment =
            scriba8::files::environmentValue("SCRIBA8_PROGRAMMER").value_or("");
        !SelectionUnderstood(fromEnvironment))
        return plainUsageFailure(
            "SCRIBA8_PROGRAMMER=" + fromEnvironment +
                say({" is not understood: use virtual, virtual:STATEFILE, usb, usb:PATH (a device "
                     "node such as /dev/hidraw3) or usb:SERIAL (the programmer's serial number)",
                     " 无法识别：请使用 virtual、virtual:STATEFILE、usb、usb:PATH（设备节点，如 "
                     "/dev/hidraw3）或 usb:SERIAL（编程器的序列号）"}),
            language, invocation.json);
    // The transfer trace: with -v it goes where the log's errors go.
    scriba8::app::WatchTransfers(invocation.verbose);

    SessionSettings settings;
    settings.language = language;
    settings.json = invocation.json;
    settings.quiet = invocation.quiet;
    settings.progress = !invocation.noProgress && !invocation.quiet;
    const bool dataOnStdout = invocation.output == scriba8::files::kStandardOutput ||
                              invocation.eepromOutput == scriba8::files::kStandardOutput;
    settings.logOnStderr = dataOnStdout;
    settings.answer = invocation.yes ? Answer::yes : invocation.no ? Answer::no : Answer::ask;
    if (!invocation.waitTimeout.empty()) settings.waitTimeout = ParseWaitTimeout(invocation.waitTimeout);
    settings.replaceReadOnlyOutputs = invocation.force;

    WatchForInterruption(language);
    const auto start = std::chrono::steady_clock::now();
    Report report;
    report.command = invocation.command;
    {
        Session session(scriba8::app::DeviceLibrary(), settings);
        try {
            if (dataOnStdout && invocation.json)
                throw UsageError(TextPair{
                    "--json and -o - both need standard output: name an output file",
                    "--json 和 -o - 都需要标准输出：请指定输出文件"});
            if (!invocation.output.empty() && invocation.output == invocation.eepromOutput)
                throw UsageError(TextPair{"-o and --eeprom-output name the same file",
                                          "-o 和 --eeprom-output 指定了同一个文件"});
            if (invocation.command == "programmers")
                report = RunProgrammersCommand(invocation, session);
            else if (invocation.command == "produce")
                report = RunProduceCommand(invocation, session, &ConnectedUsbProgrammers);
            else
                report = RunCommand(invocation, session);
        } catch (const UsageError& e) {
            report.chip = session.chipJson();
            report.setUsageError(e.text(language));
        } catch (const std::exception& e) {
            report.setResult(S8_FAIL, settings.language, invocation.command);
            report.message = say({"internal error: ", "内部错误："}) + e.what();
        }
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (StopRequested() && report.interruptedBeforeStart) {
        report.message = say({"interrupted while waiting for the programmer; nothing was done",
                              "在等待编程器时被中断；未执行任何操作"});
        report.exitStatus = kExitInterrupted;
        report.advice.clear();
    } else if (StopRequested()) {
        report.message = say({"interrupted: stopped after the step in progress; the steps after it "
                              "did not run",
                              "已中断：在当前步骤完成后停止，其后的步骤没有执行"});
        report.exitStatus = kExitInterrupted;
        report.advice = report.message + say({". Repeat the command to carry out the whole job.",
                                              "。请重复此命令以完成全部工作。"});
    }
    scriba8::app::PumpTransfers();
    // Quiet drops the log and the remarks, not the answer a command is run for.
    if (invocation.quiet && !AnswersWithItsLines(invocation.command)) report.lines.clear();
    // With the data on standard output, the lines that describe it go to
    // standard error like the log.
    PrintReport(report, invocation.json, static_cast<std::uint64_t>(elapsed.count()),
                dataOnStdout && !invocation.json ? stderr : stdout, stderr);
    return StandardOutputFailed(report.exitStatus, say);
}
