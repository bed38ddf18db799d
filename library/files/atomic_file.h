// SPDX-License-Identifier: MIT
// Writing a whole file so that a failure never leaves it truncated or
// half-written, for every file the system writes.
//
// - "-" is standard output.
// - A symbolic link is written through: its target gets the bytes and the
//   link stays a link.
// - A target that exists and is not a regular file (a device, a pipe,
//   /dev/stdout, /dev/null) is written directly: it cannot be replaced.
// - Otherwise the bytes go to a new temporary file in the target's folder,
//   which is synced and renamed over the target, keeping its permissions.
//   Any failure removes the temporary file and leaves the target as it was.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace scriba8::files {

inline constexpr const char* kStandardOutput = "-";

// Error value for a named pipe that no process reads: writing would block
// until one does, so it is refused at once.
inline constexpr int kNoReader = -2;

// A regular file without any write permission is refused with EACCES, even
// where the folder would allow replacing it and even for root, who may
// write anything: somebody made it read-only on purpose. replace (the
// user's --force) replaces it all the same.
enum class ReadOnlyTarget { refuse, replace };

// 0 on success, otherwise the errno value of the step that failed (or
// kNoReader).
int writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                        ReadOnlyTarget readOnly = ReadOnlyTarget::refuse);

// Why writing path would fail before any byte is written (missing folder,
// permission, name too long, a folder in the way), or 0.
int writeProblem(const std::string& path, ReadOnlyTarget readOnly = ReadOnlyTarget::refuse);

// True when both paths name one existing file (links and different
// spellings included).
bool sameFile(const std::string& a, const std::string& b);

} // namespace scriba8::files
