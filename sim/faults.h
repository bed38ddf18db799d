// SPDX-License-Identifier: MIT
// Faults the virtual programmer can be told to have, to reach every failure
// branch of the library. Tests set them through VirtualProgrammer::faults();
// manual runs through SCRIBA8_VIRTUAL_FAULTS (grammar at parseFaultSpec).
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace scriba8::sim {

// Operation and area bytes of a command, as in "07/01".
struct OpCode {
    std::uint8_t operation;
    std::uint8_t area;
    auto operator<=>(const OpCode&) const = default;
};

inline constexpr OpCode kPowerOnOp{0x07, 0x01};
inline constexpr OpCode kPowerDownOp{0x07, 0x02};

// The n-th report (1-based, counted from the opening of the link) is
// refused; with bootLoaderOnly, only reports to the boot loader count.
struct ReportFault {
    int at = 0; // 0 = never
    bool bootLoaderOnly = false;
};

struct Faults {
    bool absent = false;                      // no programmer on the bus
    ReportFault refuseSetFeature;
    ReportFault refuseGetFeature;
    std::set<OpCode> noStatusReply;           // the status reply never comes
    std::set<OpCode> wrongTag;                // the status reply carries another tag
    std::map<OpCode, std::uint16_t> status;   // this status instead of the real one
    // This status for the n-th command of a kind (1-based, counted from the
    // opening of the link), e.g. only the second power-on of a link.
    std::map<std::pair<OpCode, int>, std::uint16_t> statusAt;
    bool identityMismatch = false;            // read-identity answers another product byte
    std::optional<std::array<std::uint8_t, 5>> identityReply; // exactly this identity reply
    bool noBootLoader = false;                // "enter boot loader" is ignored
    bool checksumSwapped = false;             // the boot loader's checksum reply, bytes swapped
    int auxRejectAtPoll = 0;                  // the n-th update poll says "not accepted"
};

// Everything SCRIBA8_VIRTUAL_FAULTS can say: faults, and facts about the
// programmer and chip it starts with.
struct FaultSpec {
    Faults faults;
    bool locked = false;                   // the chip in the socket is locked
    std::optional<std::uint32_t> mainFirmware;
    std::optional<std::uint16_t> auxFirmware;
    bool no8051 = false;                   // the main firmware lacks 8051 support
};

// Comma-separated items, each `name` or `name=value`; numbers decimal or 0x
// hex; OP is a command's operation/area in hex, e.g. 07/01:
//   absent  locked  id-mismatch  power-down-refused  no-boot-loader
//   checksum-swapped  fw-no8051
//   fw-main=0xXXXXXXXX  fw-aux=0xXXXX  power-on-status=N
//   set-fail=[boot:]N  get-fail=[boot:]N  aux-reject=N
//   no-reply=OP  wrong-tag=OP  status=OP:N  status=OP@K:N (only the K-th OP)
// The error text names the item that could not be read.
std::variant<FaultSpec, std::string> parseFaultSpec(std::string_view text);

} // namespace scriba8::sim
