// SPDX-License-Identifier: MIT
// Shared set-up for the off-line tests: the link fixture (a fresh virtual
// programmer, a manual clock, the trace) with a chip, a code image and
// serial-number rules in the record, as the off-line dialog leaves them.
#pragma once

#include "link_fixture.h"

#include "export_impl.h"
#include "project/offline_settings.h"
#include "sim/virtual_programmer.h"

#include <cstring>
#include <string>
#include <vector>

namespace scriba8::testing {

inline std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

inline std::int32_t chipNamed(const char* name) {
    return chipIndexWhere([&](const ChipRecord& c) { return std::strcmp(c.partName, name) == 0; });
}

// The default selection the chip table exports for a row.
inline void selectDefaults(ContextRecord& ctx, std::int32_t row) {
    const BodyInfo* rows = nullptr;
    bodyInfo(&rows);
    ctx.partIndex = row;
    for (int k = 0; k < S8_ITEM_COUNT; ++k) ctx.itemValue[k] = rows[row].items[k].value;
    for (int j = 0; j < S8_BIT_COUNT; ++j) ctx.bitValue[j] = rows[row].bits[j].value;
}

class OffLineTest : public LinkTest {
protected:
    // The chip, a Flash image (and EEPROM image) of these sizes, the steps,
    // and serial numbers "SN-" from 0x100 counting up at the top of Flash.
    void prepare(const char* part, std::size_t flashBytes, std::size_t eepromBytes = 0,
                 std::uint16_t steps = S8_DEFAULT_AUTO_PROCESS) {
        const std::int32_t row = chipNamed(part);
        ASSERT_GE(row, 0) << part;
        selectDefaults(ctx_, row);
        const ChipRecord& chip = *chipAt(row);
        flash_.resize(flashBytes);
        for (std::size_t i = 0; i < flash_.size(); ++i) flash_[i] = static_cast<std::uint8_t>(i * 7 + 3);
        eeprom_.assign(eepromBytes, 0x5C);
        ctx_.flashData = flash_.data();
        ctx_.flashLength = static_cast<std::uint32_t>(flash_.size());
        ctx_.flashChecksum = sum16(flash_);
        ctx_.flashFullChecksum =
            static_cast<std::uint16_t>(ctx_.flashChecksum + 0xFF * (chip.flashSize - flash_.size()));
        ctx_.eepromData = eeprom_.empty() ? nullptr : eeprom_.data();
        ctx_.eepromLength = static_cast<std::uint32_t>(eeprom_.size());
        ctx_.eepromChecksum = sum16(eeprom_);
        ctx_.autoProcess = steps;
        ctx_.serialFlags = 0x03;
        ctx_.serialAddress = chip.flashSize - 16;
        std::memset(ctx_.serialString, 0xFF, sizeof ctx_.serialString);
        std::memcpy(ctx_.serialString, "SN-", 3);
        ctx_.serialNumber = 0x100;
        ctx_.maxCounter = 0;
    }

    // OffLineMode as the application calls it: bit 15 set for the call.
    std::int32_t download() {
        ctx_.autoProcess |= S8_STEP_RUNNING;
        const std::int32_t result = offLineMode(&ctx_);
        ctx_.autoProcess &= static_cast<std::uint16_t>(~S8_STEP_RUNNING);
        return result;
    }

    // ReadOffLineModeInfo into a record like the dialog's private one.
    std::int32_t readBack(ContextRecord& into) {
        into.status = &readStatus_;
        return readOffLineModeInfo(&into);
    }

    static ContextRecord freshRecord() {
        ContextRecord r{};
        r.partIndex = -1;
        return r;
    }

    const std::vector<std::uint8_t>& storedSettings() { return device().offLine().settings; }

    std::vector<std::uint8_t> flash_;
    std::vector<std::uint8_t> eeprom_;
    std::uint16_t readStatus_ = 0xBEEF;
};

} // namespace scriba8::testing
