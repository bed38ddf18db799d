// SPDX-License-Identifier: MIT
// GetBodyInfo: the chip table as the application sees it.
#include "chips/chip_table.h"
#include "chips/options.h"
#include "export_impl.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>

namespace scriba8 {
namespace {

// The exported value of a "Trim_Frequency" item comes from the family byte.
std::int32_t trimDefault(std::uint8_t family) {
    switch (family) {
    case 0xFA:
        return 3;
    case 0xFC:
        return 4;
    default:
        return 0; // 0xF8, 0xF9 and every other family
    }
}

void fillRecord(std::int32_t n, const ChipRecord& chip, BodyInfo& out) {
    out.partName = chip.partName;
    out.seriesMask = chip.seriesMask;
    out.flashSize = chip.flashSize;
    out.eepromSize = chip.eepromSize;
    out.customerStringSupported = chip.customerStringSupported;
    out.chipChecksumSupported = chip.chipChecksumSupported;
    out.familyCode = chip.familyCode;

    // At most nine option bytes per chip; the rest of the buffer stays erased.
    std::array<std::uint8_t, 16> defaults;
    defaults.fill(0xFF);
    const std::size_t count = std::min<std::size_t>(chip.optionByteCount, defaults.size());
    for (std::size_t i = 0; i < count; ++i) {
        defaults[i] = DefaultOptionByte(n, static_cast<int>(i));
    }
    ContextRecord scratch{};
    scratch.partIndex = n;
    DecodeOptions(scratch, defaults.data());

    for (int k = 0; k < kItemSlots; ++k) {
        const ItemDescriptor& item = chip.items[k];
        const std::string_view name = item.name;
        OptionItem& exported = out.items[k];
        exported.name = item.name;
        exported.choices = item.choices;
        if (name == "NA") {
            exported.value = 0;
        } else if (name == "Trim_Frequency") {
            exported.value = trimDefault(chip.familyByte());
        } else {
            exported.value = scratch.itemValue[k];
        }
    }
    for (int j = 0; j < kBitSlots; ++j) {
        const BitDescriptor& bit = chip.bits[j];
        OptionBit& exported = out.bits[j];
        exported.name = bit.name;
        exported.linkedItem = bit.linkedItem;
        exported.description = bit.description;
        exported.value = std::string_view(bit.name) == "NA" ? 0u : scratch.bitValue[j];
    }
}

} // namespace

std::int32_t bodyInfo(const BodyInfo** first) {
    // One static array for the whole table, filled once: nothing is
    // allocated, so the export cannot fail, and a caller reading rows on
    // one thread never sees them rewritten by a call on another.
    static BodyInfo exported[kMaxChipRows];
    static std::once_flag filled;
    const auto table = chipTable();
    std::call_once(filled, [&] {
        for (std::size_t n = 0; n < table.size(); ++n)
            fillRecord(static_cast<std::int32_t>(n), table[n], exported[n]);
    });
    if (first != nullptr) *first = exported;
    return static_cast<std::int32_t>(table.size());
}

} // namespace scriba8
