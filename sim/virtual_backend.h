// SPDX-License-Identifier: MIT
// The virtual programmer as a HID backend, what SCRIBA8_PROGRAMMER=virtual
// selects. At every open it reads the environment:
//
//   SCRIBA8_VIRTUAL_STATE=<file>  (or the selection virtual:<file>) state loaded at open and saved at close,
//                                 shared by separate processes; a damaged
//                                 file is refused, and a state that cannot
//                                 be saved fails the close
//   SCRIBA8_VIRTUAL_FAULTS=<list> faults (grammar at parseFaultSpec)
//   SCRIBA8_VIRTUAL_FAULTS_AT=<file>|<list>[;...] faults of the programmer
//                                 with that state file, instead

//   SCRIBA8_VIRTUAL_CHIP=<part>   this part sits in the socket
//   SCRIBA8_VIRTUAL_SOCKET=<list> an operator swaps chips (parseSocketSchedule)
//   SCRIBA8_VIRTUAL_PACE=real     transfers take about as long as on USB
//   SCRIBA8_VIRTUAL_OFFLINE=<list> a stand-alone run (grammar at
//                                 parseOffLineRunSpec)
//
// The last four are applied once per process (again after
// VirtualProgrammer::reset()).
#pragma once

#include "link/hid_port.h"
#include "sim/virtual_programmer.h"

#include <string>
#include <string_view>
#include <variant>

namespace scriba8::sim {

HidBackend& virtualBackend();

// The state file of the virtual programmer selected: the one a
// virtual:STATEFILE selection names, else SCRIBA8_VIRTUAL_STATE; empty for a
// programmer that lives only as long as the process.
std::string virtualStatePath();

// The lock file that stands for the virtual programmer with this state file.
std::string virtualLockPath(const std::string& statePath);

// What virtualBackend().open does; with LockWait::dontWait, an instance that
// another process drives is reported busy (devicePath: its state file).
OpenResult openVirtualProgrammer(std::uint16_t vendorId, std::uint16_t productId, LockWait wait);

// Applies SCRIBA8_VIRTUAL_FAULTS (or what SCRIBA8_VIRTUAL_FAULTS_AT gives the
// programmer with this state file), _CHIP, _PACE and _OFFLINE; complains on
// stderr about values it cannot use.
void applyEnvironment(VirtualProgrammer& programmer, const std::string& statePath = {});

// The instance behind a state file: the process's virtual programmer for
// none or for SCRIBA8_VIRTUAL_STATE's, an instance of its own for any other,
// so one process can drive several virtual programmers.
VirtualProgrammer& virtualProgrammerFor(const std::string& statePath);

// "looks=K,empty=M,chips=N" (any of them; looks and chips 1 or more): the
// operator of SCRIBA8_VIRTUAL_SOCKET, or what cannot be read in it.
std::variant<VirtualProgrammer::SocketSchedule, std::string> parseSocketSchedule(std::string_view text);

// Gives the programmer the faults and the firmware or chip facts a fault description asks for.
void applyFaultSpec(VirtualProgrammer& programmer, const FaultSpec& wanted);

} // namespace scriba8::sim
