// SPDX-License-Identifier: MIT
#include "chip_selection.h"

#include "checksums.h"
#include "option_lists.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace scriba8::app {
namespace {

bool used(const char* name) { return name != nullptr && std::string_view(name) != "NA"; }

} // namespace

void AdoptDecodedSelection(const BodyInfo& chip, ContextRecord& record) {
    if (chip.flashSize != 0x10000 || SelectedIspSize(chip, record) != 0) return;
    for (int k = 0; k < S8_ITEM_COUNT; ++k)
        if (chip.items[k].name != nullptr && std::string_view(chip.items[k].name) == "IAP_SIZE" &&
            record.itemValue[k] > 0)
            --record.itemValue[k];
}

const BodyInfo* ChipRow(const LibraryApi& api, std::int32_t partIndex) {
    if (api.GetBodyInfo == nullptr || partIndex < 0) return nullptr;
    const BodyInfo* rows = nullptr;
    const std::int32_t count = api.GetBodyInfo(&rows);
    if (rows == nullptr || partIndex >= count) return nullptr;
    return &rows[partIndex];
}

void ApplyDefaultSelection(const BodyInfo& chip, ContextRecord& record) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k)
        record.itemValue[k] = used(chip.items[k].name) ? chip.items[k].value : 0;
    for (int j = 0; j < S8_BIT_COUNT; ++j)
        record.bitValue[j] = used(chip.bits[j].name) && chip.bits[j].value != 0 ? 1u : 0u;
}

bool SelectChip(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                std::int32_t partIndex) {
    const BodyInfo* chip = ChipRow(api, partIndex);
    if (chip == nullptr) return false;

    record.partIndex = partIndex;
    ApplyDefaultSelection(*chip, record);
    ResetForChip(buffers, chip->eepromSize);
    buffers.clearBeforeLoad = false;

    // No buffer is lent to the library between commands.
    record.flashData = nullptr;
    record.flashLength = 0;
    record.eepromData = nullptr;
    record.eepromLength = chip->eepromSize;
    // A chip without EEPROM has an empty one, whatever the hidden buffer keeps.
    record.eepromChecksum = chip->eepromSize != 0 ? Checksum16(buffers.eeprom) : 0;

    ResetProjectFields(*chip, record);
    return true;
}

void ResetProjectFields(const BodyInfo& chip, ContextRecord& record) {
    record.projectFile[0] = '\0';
    record.codeFileName[0] = '\0';
    record.ispCodeFile[0] = '\0';
    record.ispCodeSource = 0xFF;
    std::memset(record.customerString, 0xFF, sizeof record.customerString);
    record.serialFlags = 0;
    record.serialNumber = 0;
    record.serialAddress = chip.flashSize >= 16 ? chip.flashSize - 16 : 0;
    std::memset(record.serialString, 0xFF, sizeof record.serialString);
    record.maxCounter = 0;
    record.autoProcess = S8_DEFAULT_AUTO_PROCESS;
}

} // namespace scriba8::app
