#include "chip_selection.h"

#include "checksums.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace scriba8::app {
namespace {

bool used(const char* name) { return name != nullptr && std::string_view(name) != "NA"; }

// The ISP area size of the selected "size|code" pair; 0 without one.
std::uint32_t selectedIspSize(const BodyInfo& chip, const ContextRecord& record) {
    for (int k = 0; k < S8_ITEM_COUNT; ++k) {
        if (chip.items[k].name == nullptr || std::string_view(chip.items[k].name) != "ISP_SIZE")
            continue;
        std::string_view pairs = chip.items[k].choices != nullptr ? chip.items[k].choices : "";
        for (std::int32_t n = 0; !pairs.empty(); ++n) {
            const std::size_t comma = pairs.find(',');
            const std::string_view pair = pairs.substr(0, comma);
            pairs = comma == std::string_view::npos ? std::string_view() : pairs.substr(comma + 1);
            if (pair.empty()) {
                --n; // empty pieces are not pairs
                continue;
            }
            if (n == record.itemValue[k]) {
                std::uint32_t size = 0;
                for (char c : pair.substr(0, pair.find('|'))) {
                    if (c < '0' || c > '9') break;
                    size = size * 10 + static_cast<std::uint32_t>(c - '0');
                }
                return size;
            }
        }
        return 0;
    }
    return 0;
}

} // namespace

void AdoptDecodedSelection(const BodyInfo& chip, ContextRecord& record) {
    if (chip.flashSize != 0x10000 || selectedIspSize(chip, record) != 0) return;
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
    record.eepromChecksum = Checksum16(buffers.eeprom);

    record.projectFile[0] = '\0';
    record.codeFileName[0] = '\0';
    record.ispCodeFile[0] = '\0';
    record.ispCodeSource = 0xFF;
    std::memset(record.customerString, 0xFF, sizeof record.customerString);
    record.serialFlags = 0;
    record.serialNumber = 0;
    record.serialAddress = chip->flashSize >= 16 ? chip->flashSize - 16 : 0;
    std::memset(record.serialString, 0xFF, sizeof record.serialString);
    record.maxCounter = 0;
    record.autoProcess = S8_DEFAULT_AUTO_PROCESS;
    return true;
}

} // namespace scriba8::app
