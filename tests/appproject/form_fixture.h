// SPDX-License-Identifier: MIT
// A chip row and a saved project's record for the request form tests.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstring>
#include <memory>

namespace scriba8::app::test {

// A 64 KB chip with an ISP area list, an IAP item, a labelled item, a
// frequency item, two empty item slots and eight used option bits.
inline BodyInfo FormChip() {
    BodyInfo chip{};
    chip.partName = "VS8T164";
    chip.seriesMask = 1;
    chip.flashSize = 0x10000;
    chip.familyCode = 0x300;
    chip.items[0] = {"ISP_SIZE", "0|0x30,1536|0x20,2560|0x10,3584|0x00", 0};
    chip.items[1] = {"IAP_SIZE", "", 0};
    chip.items[2] = {"NA", "", 0};
    chip.items[3] = {"BOD_LEVEL", "Detect 4.2V,Detect 3.6V,Detect 2.7V", 0};
    chip.items[4] = {"Trim_Frequency", "22.1184MHz,24MHz", 0};
    chip.items[5] = {"NA", "", 0};
    const char* names[] = {"LOCK", "SB", "MOVCL", "EN6T", "HWBS", "OSCDN", "AUX_RAM", "FZWDTCR"};
    for (int j = 0; j < S8_BIT_COUNT; ++j)
        chip.bits[j] = {j < 8 ? names[j] : "NA", 0, "\0", 0};
    return chip;
}

// The record as the library leaves it after a save on 3 January 2025.
inline std::unique_ptr<ContextRecord> SavedRecord() {
    auto record = std::make_unique<ContextRecord>();
    record->partIndex = 0;
    record->flashLength = 4660;
    record->projectChecksum = 0x0BEE;
    const std::uint8_t time[] = {25, 1, 3, 9, 5, 7};
    std::memcpy(record->saveTime, time, sizeof time);
    record->projectId = 0x12345678;
    record->projectTag = 0xABCD;
    record->projectMark = 0x5A;
    record->toolVersion = 0x0105;
    std::strcpy(record->projectFile, "blinky.vlx");
    std::strcpy(record->codeFileName, "blinky.hex");
    std::strcpy(record->ispCodeFile, "boot.bin");
    std::strcpy(record->requestTo, "Factory");
    std::strcpy(record->requestFrom, "Lab");
    std::strcpy(record->requestPartNo, "PN-778");
    std::memset(record->customerString, 0xFF, sizeof record->customerString);
    std::memcpy(record->customerString, "ACME-7", 6);
    record->itemValue[0] = 0; // no ISP area
    record->itemValue[1] = 3; // IAP
    record->itemValue[3] = 1;
    record->itemValue[4] = 1;
    record->bitValue[0] = 1;
    record->bitValue[4] = 1;
    return record;
}

} // namespace scriba8::app::test
