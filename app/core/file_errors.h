// SPDX-License-Identifier: MIT
// Why a file could not be read, written or understood, in words for the log:
// the file's name with the system's reason or the fault found in it.
#pragma once

#include "failure_advice.h"
#include "intel_hex.h"
#include "language.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace scriba8::app {

// The reason for an errno value or files::kNotRegularFile.
std::string SystemReason(int error, Language language);

// "PATH: REASON".
std::string FileReason(std::string_view path, int error, Language language);
std::string FileReason(std::string_view path, const TextPair& reason, Language language);

// "PATH: line N: FAULT", or "PATH: FAULT" for faults of the whole file.
std::string HexFaultReason(std::string_view path, HexFault fault, std::size_t line,
                           Language language);

// The warning for records that overwrite each other with different bytes.
std::string OverlapWarning(std::string_view path, std::uint64_t address, std::uint64_t count,
                           Language language);

// A HEX file whose data start above 0 is usually linked for the address the
// user expects it at; it lands at the load position instead. Says where the
// data started, where they were placed, and how to keep their addresses.
std::string LowestAddressWarning(std::string_view path, std::uint64_t lowest,
                                 std::uint64_t placedAt, Language language, FrontEnd frontEnd);

// Data that do not fit where they go: "FILE: data from 0x... to 0x... (N
// bytes) do not fit in the ... bytes from buffer position 0x...".
std::string TooLargeReason(std::string_view path, std::uint64_t lowest, std::uint64_t end,
                           std::uint64_t placedAt, std::uint64_t capacity, Language language);

// Why the library refused a project or ISP code file, by its result code,
// naming the file; empty for codes that say it all.
std::string ProjectFailureReason(std::string_view path, std::int32_t result, Language language);
std::string IspFileFailureReason(std::string_view path, std::int32_t result, Language language);

// A failure that lies in the file's contents, not in reaching it: the
// advice is to make a good file, not to check its name.
bool IsDamagedFileResult(std::int32_t result);

namespace reasons {
inline constexpr TextPair kEmptyFile{"the file is empty", "文件是空的"};
inline constexpr TextPair kDamaged{"the file is damaged", "文件已损坏"};
inline constexpr TextPair kHexTextTooLarge{"more than 256 MiB of HEX text", "HEX文本超过256 MiB"};
inline constexpr TextPair kNoIspData{"the file holds no ISP code", "文件中没有ISP代码"};
inline constexpr TextPair kSameAsInput{"the output would overwrite an input file",
                                       "输出文件与输入文件相同"};
} // namespace reasons

} // namespace scriba8::app
