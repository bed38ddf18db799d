// SPDX-License-Identifier: MIT
// A small chip table for the window tests, with the chips the panel rules
// are about, behind a library table whose device calls are not used.
#pragma once

#include "library_api.h"

namespace scriba8::test {

enum FakeRow : int {
    kChip8K = 0,        // Series A, 0x2000 Flash, ISP and IAP sizes, no EEPROM
    kChipEeprom = 1,    // Series A, 0x3C00 Flash, 512 bytes EEPROM, Trim_Frequency, stored checksum
    kChip64K = 2,       // Series C, 0x10000 Flash, ISP/IAP, BOD1 level, HWPSx linked to HWENW
    kChip16K = 3,       // Series C, 0x4000 Flash, ISP 0/1/4 KB, IAP
    kChipOddSeries = 4, // series bit 15: not shown
    kFakeRowCount = 5
};

app::LibraryApi FakeChipApi();
// The same exports with an empty chip table.
app::LibraryApi EmptyChipApi();

} // namespace scriba8::test
