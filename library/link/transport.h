// SPDX-License-Identifier: MIT
// The programmer link: the calling thread's HID connection to its programmer,
// opened at the start of a device export and closed before it returns.
//
// Outgoing data goes in set-feature reports of 129 bytes (report id + 128,
// zero-padded), or 65 bytes for the boot loader; incoming data in get-feature
// reports of 1025 bytes; status replies arrive as input reports: byte 1 = the
// tag of the command answered, bytes 3-4 = the status, low byte first.
#pragma once

#include "link/command.h"
#include "link/link_codes.h"
#include "status_word.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace scriba8 {

inline constexpr std::size_t kCommandChunk = 128;  // payload of a normal feature report
inline constexpr std::size_t kFirmwareChunk = 64;  // payload of a boot-loader feature report
inline constexpr std::size_t kReceiveChunk = 1024; // payload of an incoming feature report

// Opens the first device with ProgrammerVendorId and productId, releasing a
// handle still open from before. False when there is none.
bool OpenProgrammer(std::uint16_t productId);

// After a failed OpenProgrammer: whether a matching device was there but could
// not be opened for lack of permission, and its device path.
bool OpenFailedForPermission();
std::string DeniedDevicePath();
// After a failed OpenProgrammer: why, when the user can act on it (for
// instance a SCRIBA8_PROGRAMMER value that is not understood); else empty.
std::string OpenProblem();

bool ProgrammerIsOpen();

// Sends data as consecutive reports of chunk payload bytes (kCommandChunk or
// kFirmwareChunk; anything larger sends nothing); stops at the first refused
// report. Returns the bytes sent. progress (may be null) receives the
// percentage sent after each report; length 0 sends nothing and leaves it.
std::size_t SendBlock(std::span<const std::uint8_t> data, const StatusWord* progress,
                      std::size_t chunk);

// The 16-byte command as one report; false unless all of it went out.
bool SendCommand(const CommandBlock& command);

// Fills buffer from consecutive get-feature reports (up to 1024 bytes taken
// from each); stops at the first refused request. Returns the bytes received.
std::size_t ReceiveBlock(std::span<std::uint8_t> buffer, const StatusWord* progress);

struct StatusReply {
    enum class Kind { Status, TimedOut, TagMismatch };
    Kind kind;
    std::uint16_t value; // the status, when kind is Status

    bool timedOut() const { return kind == Kind::TimedOut; }
    bool tagMismatch() const { return kind == Kind::TagMismatch; }
    bool is(std::uint16_t status) const { return kind == Kind::Status && value == status; }
};

// Waits up to timeoutMs for the status reply to the command with this tag. A
// report shorter than 5 bytes counts as no reply.
StatusReply ReadStatus(std::uint8_t tag, std::uint32_t timeoutMs);

// With powerDown, sends the target power-down command first; when that fails
// it returns LinkCode::PowerDownFailed and the link stays open. Otherwise the
// link is closed.
LinkCode CloseProgrammer(bool powerDown);

// Closes the link without sending anything.
void ReleaseProgrammer();

// True once when a close since the last call could not keep what was done;
// the operation then fails however it went.
bool TakeCloseFailure();

// Closes what is open and drops the calling thread's link state, with what
// it remembered of the last open and close. Every export ends with it, so a
// thread that ends keeps nothing.
void ForgetLink();

} // namespace scriba8
