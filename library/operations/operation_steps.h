// SPDX-License-Identifier: MIT
// Steps the chip operations share: page counts and reply time-outs, the
// command layouts of erase, write and read, a write with its data, a memory
// read, and the refusal of a record that cannot be used.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"
#include "frame.h"
#include "link/command.h"
#include "link/transport.h"
#include "status_word.h"

#include <cstdint>
#include <span>

namespace scriba8 {

inline constexpr std::uint32_t kOptionReplyTimeoutMs = 1000; // option write, whole-chip erase
inline constexpr std::uint32_t kTrimReplyTimeoutMs = 5000;
inline constexpr std::uint32_t kPowerCycleWaitMs = 500; // between the two steps of a whole-chip erase

// Pages needed to cover a memory, the last one possibly partial; 0 when the
// page size is 0 (a memory the chip does not have).
std::uint32_t PageCount(std::uint32_t memorySize, std::uint32_t pageSize);

// Erase grows with the page count, a write with the data length.
std::uint32_t EraseTimeoutMs(std::uint32_t pages);
std::uint32_t WriteTimeoutMs(std::uint32_t length);

CommandBlock EraseCommand(Command command, std::uint32_t pages, std::uint16_t pageSize);
CommandBlock WriteCommand(Command command, std::uint32_t start, std::uint32_t length,
                          std::uint16_t checksum);
CommandBlock ReadCommand(Command command, std::uint32_t length);

// The command, then its data in 128-byte reports. False when either fell
// short.
bool SendWithData(const CommandBlock& command, std::span<const std::uint8_t> data,
                  const StatusWord* progress);

// Sends the read command for buffer.size() bytes and fills buffer. 0 when all
// arrived, else 103 (command not sent) or 104 (data short).
std::int32_t ReadMemory(Command command, std::span<std::uint8_t> buffer, const StatusWord* progress);

// The result of the status reply after a write: 101 for status 0, 112 when
// the programmer found the checksum wrong, 102 for anything else (another
// status, no reply, a reply to another command).
std::int32_t WriteResult(const StatusReply& reply);

// A buffer of length bytes at start fits a memory of memorySize bytes, and
// is there when it is not empty.
bool BufferFits(const std::uint8_t* data, std::uint32_t start, std::uint32_t length,
                std::uint32_t memorySize);

inline std::span<const std::uint8_t> BytesOf(const std::uint8_t* data, std::uint32_t length) {
    return length == 0 ? std::span<const std::uint8_t>() : std::span(data, length);
}

// Runs a device export only when usable(chip) accepts the record; otherwise
// the export ends with 102 before the programmer is touched. A partIndex
// outside the table is left to the frame.
template <typename Usable, typename Body>
std::int32_t RunCheckedExport(ContextRecord& ctx, const FrameOptions& options, Usable&& usable,
                              Body&& body) {
    if (const ChipRecord* chip = chipAt(ctx.partIndex); chip != nullptr && !usable(*chip)) {
        const StatusWord status(ctx.status);
        status.start();
        return status.finish(S8_FAIL);
    }
    return RunDeviceExport(ctx, options, body);
}

} // namespace scriba8
