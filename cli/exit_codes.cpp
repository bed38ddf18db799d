// SPDX-License-Identifier: MIT
#include "exit_codes.h"

#include "Scriba8_T3Plus_DLL.h"

#include <array>

namespace scriba8::cli {
namespace {

constexpr std::array kClasses{
    ExitClass{kExitOk, {"success", "成功"}, "101"},
    ExitClass{kExitFailed,
              {"the operation failed (verify mismatch, chip not blank, check-id identity "
               "mismatch, failure status)",
               "操作失败（校验不一致、芯片非空白、check-id 发现ID不符、失败状态）"},
              "102 111 113 119 121, any other"},
    ExitClass{kExitUsage,
              {"usage error: unknown part, option or value, missing argument",
               "用法错误：未知的型号、选项或取值，缺少参数"},
              ""},
    ExitClass{kExitNoProgrammer, {"no programmer found", "未找到编程器"}, "105"},
    ExitClass{kExitTransfer,
              {"USB transfer with the programmer failed, or the programmer did not answer a "
               "command or answered another one",
               "与编程器的USB传输失败，或编程器未应答命令或应答了其他命令"},
              "103 104 108"},
    ExitClass{kExitFirmware,
              {"programmer firmware update declined or failed", "编程器固件更新被拒绝或失败"},
              "106 107"},
    ExitClass{kExitTargetChip,
              {"target chip: identity rejected at power-on, locked, no power, no response",
               "目标芯片：上电时ID被拒绝、已加密上锁、未供电、无响应"},
              "109 110 120 123"},
    ExitClass{kExitWriteRejected,
              {"checksum error after a write, or frequency trim failed",
               "写入后检验和错误，或振荡器频率设置失败"},
              "112 124"},
    ExitClass{kExitFile,
              {"file or project error: cannot open, damaged, unsupported, too large",
               "文件或项目错误：无法打开、已损坏、不支持、过大"},
              "114 115 116 117 118 125"},
    ExitClass{kExitNoOffLineData,
              {"the programmer holds no off-line project", "编程器中没有脱机项目"}, "122"},
    ExitClass{kExitBusy,
              {"the programmer is in use by another process (after --wait-timeout); nothing was "
               "done",
               "编程器正被另一个进程使用（已超过 --wait-timeout）；未执行任何操作"},
              "126"},
    ExitClass{kExitInterrupted,
              {"interrupted (Ctrl-C, SIGTERM) after the step in progress",
               "在当前步骤完成后中断（Ctrl-C、SIGTERM）"},
              ""},
};

constexpr app::TextPair kHeading{"Exit status:\n", "退出状态:\n"};
constexpr app::TextPair kResults{" [results ", " [结果码 "};
constexpr std::string_view kAnyOther = ", any other";
constexpr app::TextPair kAnyOtherText{kAnyOther, "，以及其他任何结果码"};

} // namespace

std::span<const ExitClass> ExitClasses() { return kClasses; }

int ExitStatusFor(std::int32_t result) {
    switch (result) {
    case S8_PASS: return kExitOk;
    case S8_NO_PROGRAMMER: return kExitNoProgrammer;
    case S8_SEND_ERROR:
    case S8_RECEIVE_ERROR:
    case S8_STATUS_TIMEOUT: return kExitTransfer;
    case S8_UPDATE_DECLINED:
    case S8_UPDATE_FAILED: return kExitFirmware;
    case S8_ID_REJECTED:
    case S8_CHIP_LOCKED:
    case S8_POWER_ON_FAILED:
    case S8_NO_RESPONSE: return kExitTargetChip;
    case S8_CHECKSUM_ERROR:
    case S8_TRIM_FAILED: return kExitWriteRejected;
    case S8_FILE_ERROR:
    case S8_PROJECT_CHECKSUM_ERROR:
    case S8_PROJECT_BUFFER_ERROR:
    case S8_PROJECT_TOOL_ERROR:
    case S8_PROJECT_PART_ERROR:
    case S8_FILE_TOO_LARGE: return kExitFile;
    case S8_NO_OFFLINE_INFO: return kExitNoOffLineData;
    case S8_PROGRAMMER_BUSY: return kExitBusy;
    default: return kExitFailed;
    }
}

std::string ExitStatusHelp(app::Language language) {
    std::string text(kHeading.in(language));
    for (const ExitClass& entry : kClasses) {
        std::string line = "  " + std::to_string(entry.status) + "  " +
                           std::string(entry.meaning.in(language));
        if (!entry.results.empty() && entry.status != kExitOk) {
            std::string_view results = entry.results;
            std::string_view rest;
            if (results.ends_with(kAnyOther)) {
                results.remove_suffix(kAnyOther.size());
                rest = kAnyOtherText.in(language);
            }
            line += std::string(kResults.in(language)) + std::string(results) + std::string(rest) + "]";
        }
        text += line + "\n";
    }
    return text;
}

} // namespace scriba8::cli
