// SPDX-License-Identifier: MIT
// The off-line read-back decoder on whatever a programmer might return: it
// ends with one of its result codes, reads nothing outside the block, and
// touches the record only when it accepts the block.
#include "chips/chip_table.h"
#include "project/offline_settings.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The programmer always answers with the whole read length.
    std::array<std::uint8_t, scriba8::kOffLineReadLength> block;
    block.fill(0xFF);
    std::copy_n(data, std::min(size, block.size()), block.begin());

    ContextRecord ctx{};
    ctx.partIndex = -1;
    ctx.eepromStart = 0x11111111;
    ctx.eepromLength = 0x22222222;
    ctx.eepromChecksum = 0x3333;
    ctx.itemValue[0] = 0x4444;
    ContextRecord before;
    std::memcpy(&before, &ctx, sizeof ctx);

    const std::int32_t code = scriba8::decodeOffLineSettings(block, ctx);
    switch (code) {
    case S8_PASS: {
        if (ctx.partIndex != -1) {
            const scriba8::ChipRecord* chip = scriba8::chipAt(ctx.partIndex);
            if (chip == nullptr || chip->partCode != (block[5] | block[6] << 8)) std::abort();
        } else if (ctx.itemValue[0] != before.itemValue[0]) {
            std::abort(); // options decoded without a chip
        }
        const bool eepromKept = ctx.eepromStart == before.eepromStart &&
                                ctx.eepromLength == before.eepromLength &&
                                ctx.eepromChecksum == before.eepromChecksum;
        if (block[4] == 1 && !eepromKept) std::abort(); // the older layout has no EEPROM fields
        if (ctx.autoProcess > 0xFF) std::abort();
        break;
    }
    case S8_FAIL:
    case S8_CHECKSUM_ERROR:
    case S8_NO_OFFLINE_INFO:
        if (std::memcmp(&before, &ctx, sizeof ctx) != 0) std::abort();
        break;
    default:
        std::abort();
    }
    return 0;
}
