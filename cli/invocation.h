// Everything the command line said, as plain values.
#pragma once

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
    std::string programmer; // "virtual" or "usb"; empty: as the environment says

    // Input files and how they load.
    std::string file;
    std::string eepromFile;
    std::string offset; // decimal, or 0x hex
    std::string fill;   // "00" or "ff"; empty: no filling
    bool absolute = false; // Intel HEX data at their own addresses

    // Outputs.
    std::string output;
    std::string eepromOutput;

    // Hardware options and auto steps.
    std::vector<std::string> options; // NAME=VALUE
    std::vector<std::string> bits;    // NAME=on|off
    std::string steps;                // empty: default, or the project's
    std::string customerString;
    std::string ispFile;

    // Off-line settings.
    std::string maxCount;
    bool serial = false;
    bool serialAutoIncrement = false;
    std::string serialString;
    std::string serialNumber;
    std::string serialAddress;

    // parts
    std::vector<std::string> filters;
    bool details = false;
};

} // namespace scriba8::cli
