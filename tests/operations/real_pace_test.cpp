// SPDX-License-Identifier: MIT
// Every export on every chip of the table at real pace, on the manual clock
// so it takes no real time: the virtual programmer's times (sim/real_pace.h)
// must fit the library's waits, each status reply arriving at most half-way
// through the wait for it. A model slower than the protocol allows once made
// WholeChip Erase fail on every 32 and 64 KiB chip.
#include "operations_fixture.h"


#include <cctype>
#include <functional>
#include <numeric>

namespace scriba8::testing {
namespace {

class RealPaceTest : public OperationsTest, public ::testing::WithParamInterface<std::int32_t> {
protected:
    // The chip's default selection, as the application starts with it, but
    // unlocked: the exports after the option write must still reach the chip.
    void selectDefaults(std::int32_t row) {
        const BodyInfo* rows = nullptr;
        bodyInfo(&rows);
        ctx_.partIndex = row;
        for (int k = 0; k < S8_ITEM_COUNT; ++k) ctx_.itemValue[k] = rows[row].items[k].value;
        for (int j = 0; j < S8_BIT_COUNT; ++j) {
            const std::string_view name = rows[row].bits[j].name;
            ctx_.bitValue[j] = name == "LOCK" || name == "SB" ? 0 : rows[row].bits[j].value;
        }
    }

    void lend(std::vector<std::uint8_t>& flash, std::vector<std::uint8_t>& eeprom,
              const ChipRecord& chip) {
        ctx_.flashData = flash.data();
        ctx_.flashLength = static_cast<std::uint32_t>(flash.size());
        ctx_.flashChecksum = sum16(flash);
        ctx_.flashFullChecksum = ctx_.flashChecksum;
        ctx_.eepromData = eeprom.empty() ? nullptr : eeprom.data();
        ctx_.eepromLength = chip.eepromSize;
        ctx_.eepromChecksum = sum16(eeprom);
    }
};

TEST_P(RealPaceTest, EveryExportPassesWithItsRepliesWellInsideTheLibrarysWaits) {
    const std::int32_t row = GetParam();
    const ChipRecord& chip = *chipAt(row);
    SCOPED_TRACE(chip.partName);
    selectDefaults(row);
    device().pinChip(&chip);
    device().setRealPace(true);
    std::mt19937 random(static_cast<unsigned>(row));
    std::vector<std::uint8_t> flash = randomBytes(chip.flashSize, random);
    std::vector<std::uint8_t> eeprom = randomBytes(chip.eepromSize, random);
    lend(flash, eeprom, chip);

    struct Step {
        const char* name;
        std::function<std::int32_t()> run;
    };
    std::uint16_t checksum = 0;
    std::vector<Step> steps{
        {"CheckID", [&] { return checkId(&ctx_); }},
        {"WholeChipErase", [&] { return wholeChipErase(&ctx_); }},
        {"BlankCheck", [&] { return blankCheck(&ctx_); }},
        {"Erase", [&] { return erase(&ctx_); }},
        {"Program", [&] { return program(&ctx_); }},
        {"Verify", [&] { return verify(&ctx_); }},
        {"WriteOptions", [&] { return writeOptions(&ctx_); }},
        {"ReadOptions", [&] { return readOptions(&ctx_); }},
    };
    if (chip.eepromSize != 0) steps.push_back({"ProgramEEPROM", [&] { return programEeprom(&ctx_); }});
    if (chip.chipChecksumSupported)
        steps.push_back({"ReadCheckSum", [&] { return readCheckSum(&ctx_, &checksum); }});
    steps.push_back({"DumpTarget", [&] {
                         std::vector<std::uint8_t> readFlash(chip.flashSize);
                         std::vector<std::uint8_t> readEeprom(chip.eepromSize);
                         ctx_.flashData = readFlash.data();
                         ctx_.eepromData = readEeprom.empty() ? nullptr : readEeprom.data();
                         const std::int32_t result = dumpTarget(&ctx_);
                         EXPECT_EQ(readFlash, flash);
                         lend(flash, eeprom, chip);
                         return result;
                     }});
    steps.push_back({"OffLineMode", [&] {
                         ctx_.autoProcess = S8_DEFAULT_AUTO_PROCESS | S8_STEP_RUNNING;
                         const std::int32_t result = offLineMode(&ctx_);
                         ctx_.autoProcess = S8_DEFAULT_AUTO_PROCESS;
                         return result;
                     }});
    steps.push_back({"ReadOffLineModeInfo", [&] {
                         ContextRecord info{};
                         std::uint16_t status = 0;
                         info.status = &status;
                         return readOffLineModeInfo(&info);
                     }});

    for (const Step& step : steps) {
        const std::uint64_t before = clock_.clock.now;
        EXPECT_EQ(step.run(), S8_PASS) << step.name;
        EXPECT_GT(clock_.clock.now, before) << step.name << " took no device time";
    }
    ASSERT_FALSE(device().statusTimings().empty());
    for (const auto& timing : device().statusTimings())
        EXPECT_LE(timing.busyMs * 2, timing.waitedUpToMs)
            << "a reply after " << timing.busyMs << " ms of a " << timing.waitedUpToMs << " ms wait";
}

std::vector<std::int32_t> everyChip() {
    std::vector<std::int32_t> rows(chipTable().size());
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

INSTANTIATE_TEST_SUITE_P(AllChips, RealPaceTest, ::testing::ValuesIn(everyChip()),
                         [](const ::testing::TestParamInfo<std::int32_t>& chipRow) {
                             std::string name = chipAt(chipRow.param)->partName;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name + "_" + std::to_string(chipRow.param);
                         });

} // namespace
} // namespace scriba8::testing
