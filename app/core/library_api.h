// SPDX-License-Identifier: MIT
// The device library as the application calls it: one function pointer per
// export. Front ends use the real exports; tests put in fakes.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>
#include <optional>

namespace scriba8::app {

using RecordCall = std::int32_t (*)(ContextRecord*);

struct LibraryApi {
    void (*GetDLLInfo)(std::uint32_t* version, std::uint32_t* edition) = nullptr;
    std::int32_t (*GetBodyInfo)(const BodyInfo** first) = nullptr;
    RecordCall CheckID = nullptr;
    RecordCall Erase = nullptr;
    RecordCall BlankCheck = nullptr;
    RecordCall WholeChipErase = nullptr;
    RecordCall Program = nullptr;
    RecordCall ProgramEEPROM = nullptr;
    RecordCall Verify = nullptr;
    RecordCall WriteOptions = nullptr;
    RecordCall ReadOptions = nullptr;
    std::int32_t (*ReadCheckSum)(ContextRecord* ctx, std::uint16_t* checksum) = nullptr;
    RecordCall DumpTarget = nullptr;
    RecordCall SaveVLX = nullptr;
    RecordCall LoadVLXFooter = nullptr;
    RecordCall LoadVLXBuffer = nullptr;
    RecordCall InsertISPcode = nullptr;
    RecordCall OffLineMode = nullptr;
    RecordCall ReadOffLineModeInfo = nullptr;

    // The library's extensions; null in a table without them (a fake), which
    // then holds nothing and knows one programmer only.
    std::int32_t (*HoldProgrammer)(const S8HoldOptions* options, S8ProgrammerHold** hold) = nullptr;
    void (*ReleaseProgrammer)(S8ProgrammerHold* hold) = nullptr;
    std::int32_t (*SelectProgrammer)(const char* selection) = nullptr;
};

// The table of the linked device library.
const LibraryApi& DeviceLibrary();

// What the application needs to know about the selected chip.
struct ChipSizes {
    std::uint32_t flashSize = 0;
    std::uint32_t eepromSize = 0;
    bool chipChecksumSupported = false;
};

// The chip at a row of the library's chip table; nothing for a row that
// does not exist (-1 included).
std::optional<ChipSizes> ChipSizesOf(const LibraryApi& api, std::int32_t partIndex);

} // namespace scriba8::app
