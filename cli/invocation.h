// SPDX-License-Identifier: MIT
// Everything the command line said, as plain values.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scriba8::cli {

struct Invocation {
    std::string command; // "program", "project save", "offline read", ...

    // Given before or after the subcommand.
    std::string part;
    std::string language = "en";
    bool json = false;
    bool yes = false;
    bool no = false;
    std::string programmer; // virtual, usb, usb:PATH or usb:SERIAL; empty: as the environment says
    bool verbose = false;   // every report exchanged, on stderr
    bool quiet = false;     // errors only
    bool noProgress = false;
    std::string waitTimeout; // seconds; empty: wait until the programmer is free

    // Input files and how they load.
    std::string file;
    std::string eepromFile;
    std::string offset; // decimal, or 0x hex
    std::string fill;   // "00" or "ff"; empty: no filling
    bool absolute = false; // Intel HEX data at their own addresses

    // Outputs.
    std::string output;
    std::string eepromOutput;

    // program: the erase before and the verify after are on unless turned off.
    bool noErase = false;
    bool noVerify = false;
    // write-options: start from the options the chip holds.
    bool fromChip = false;
    // isp-insert, offline download: overwrite code bytes that are not 0xFF.
    bool force = false;

    // Hardware options and auto steps.
    std::vector<std::string> options; // NAME=VALUE
    std::vector<std::string> bits;    // NAME=on|off
    std::optional<std::string> steps; // none: default, or the project's
    std::string customerString;
    std::string ispFile;

    // Off-line settings.
    std::string maxCount;
    bool serial = false;
    bool serialAutoIncrement = false;
    std::string serialString;
    std::string serialNumber;
    std::string serialAddress;

    // produce
    std::vector<std::string> programmers; // --programmer given to produce, repeated
    std::string serialSpec;               // --serial start=N,step=N,...
    std::string serialList;
    std::string journal;
    std::string logFile;
    std::string csvFile;
    std::string count;
    bool continuous = false;
    bool reuseFailed = false;
    std::string pollMs;

    // report
    std::vector<std::string> logs;

    // parts
    std::vector<std::string> filters;
    bool details = false;
};

} // namespace scriba8::cli
