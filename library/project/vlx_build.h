// SPDX-License-Identifier: MIT
// Building the bytes of a project file from the context record. Everything a
// save can refuse (a missing trim item, names too long for their length byte)
// is decided here, before any file is touched.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <vector>

namespace scriba8 {

// What makes each save unique: the time and the random bytes.
struct SaveStamp {
    std::array<std::uint8_t, 6> time{}; // year-2000, month, day, hour, minute, second
    std::uint16_t projectTag = 0;
    std::array<std::uint8_t, 4> projectId{};
};

// The local time and fresh random bytes.
SaveStamp makeSaveStamp();

// The six time bytes of a calendar time; a fixed "no time" pattern for null.
std::array<std::uint8_t, 6> saveTimeBytes(const std::tm* local);

// Fills trimWord from the selection; a link code (20 = no trim item) on failure.
using TrimStep = int (*)(ContextRecord&);

// The whole file (code region and footer) into file, with the context fields a
// save records (projectChecksum, trimWord, projectId and projectMark for
// extended blocks, projectTag, saveTime, toolVersion) set in ctx. Returns 101,
// 124 when the trim step fails, 114 when a name is too long for the file, or
// 102 when the record names no chip or lacks a buffer it describes.
std::int32_t buildProjectFile(ContextRecord& ctx, const SaveStamp& stamp, TrimStep trim,
                              std::vector<std::uint8_t>& file);

} // namespace scriba8
