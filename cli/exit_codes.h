// SPDX-License-Identifier: MIT
// The process exit status for each class of failure. Scripts rely on these
// numbers: they are documented in --help and the README and never change.
#pragma once

#include "language.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace scriba8::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,        // the operation failed: mismatch, not blank, failure status
    kExitUsage = 2,         // the command line cannot be carried out as written
    kExitNoProgrammer = 3,  // no programmer found
    kExitTransfer = 4,      // USB transfer to or from the programmer failed
    kExitFirmware = 5,      // firmware update declined or failed
    kExitTargetChip = 6,    // the chip in the socket: wrong, locked, no power, no answer
    kExitWriteRejected = 7, // the programmer rejected what was written
    kExitFile = 8,          // a file could not be read, written or understood
    kExitNoOffLineData = 9, // the programmer holds no off-line project
    kExitBusy = 10,         // another process kept the programmer past --wait-timeout
    kExitInterrupted = 130, // Ctrl-C or SIGTERM, as shells report a signal
};

struct ExitClass {
    int status;
    app::TextPair meaning;
    std::string_view results; // the library result codes in this class
};

std::span<const ExitClass> ExitClasses();

// Success (101) is 0; every other code is a non-zero status, codes no class
// names included.
int ExitStatusFor(std::int32_t result);

// The table as --help shows it.
std::string ExitStatusHelp(app::Language language = app::Language::english);

} // namespace scriba8::cli
