// SPDX-License-Identifier: MIT
// A log file that lines are appended to, as C stdio.
#pragma once

#include <cstdio>
#include <string>

namespace scriba8::files {

// Opens path for appending, made when missing; null (errno set) when it
// cannot be. Others may read, write, rename and delete the file meanwhile:
// on Windows a reader may have made it to vanish once everybody closed it.
std::FILE* openForAppending(const std::string& path);

// Everything appended so far is on the disk, not only in a cache: a record
// that must survive a crash or a power cut. 0 or the errno value.
int flushToDisk(std::FILE* file);

} // namespace scriba8::files
