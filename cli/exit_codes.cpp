#include "exit_codes.h"

#include "Scriba8_T3Plus_DLL.h"

#include <array>

namespace scriba8::cli {
namespace {

constexpr std::array kClasses{
    ExitClass{kExitOk, "success", "101"},
    ExitClass{kExitFailed, "the operation failed (verify mismatch, chip not blank, check-id identity "
              "mismatch, failure status)",
              "102 111 113 119 121, any other"},
    ExitClass{kExitUsage, "usage error: unknown part, option or value, missing argument", ""},
    ExitClass{kExitNoProgrammer, "no programmer found", "105"},
    ExitClass{kExitTransfer,
              "USB transfer with the programmer failed, or the programmer did not answer a "
              "command or answered another one",
              "103 104 108"},
    ExitClass{kExitFirmware, "programmer firmware update declined or failed", "106 107"},
    ExitClass{kExitTargetChip, "target chip: identity rejected at power-on, locked, no power, no response",
              "109 110 120 123"},
    ExitClass{kExitWriteRejected, "checksum error after a write, or frequency trim failed",
              "112 124"},
    ExitClass{kExitFile, "file or project error: cannot open, damaged, unsupported, too large",
              "114 115 116 117 118 125"},
    ExitClass{kExitNoOffLineData, "the programmer holds no off-line project", "122"},
    ExitClass{kExitInterrupted, "interrupted (Ctrl-C, SIGTERM) after the step in progress", ""},
};

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
    default: return kExitFailed;
    }
}

std::string ExitStatusHelp() {
    std::string text = "Exit status:\n";
    for (const ExitClass& entry : kClasses) {
        std::string line = "  " + std::to_string(entry.status) + "  " + std::string(entry.meaning);
        if (!entry.results.empty() && entry.status != kExitOk)
            line += " [results " + std::string(entry.results) + "]";
        text += line + "\n";
    }
    return text;
}

} // namespace scriba8::cli
