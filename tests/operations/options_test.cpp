// SPDX-License-Identifier: MIT
// WriteOptions, ReadOptions, ReadCheckSum and DumpTarget against the virtual
// programmer.
#include "operations_fixture.h"

#include "chips/options.h"

#include <gmock/gmock.h>

#include <functional>

namespace scriba8::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

class OptionExchangeTest : public OperationsTest {
protected:
    static constexpr sim::OpCode kTrim{0x07, 0x06};
    static constexpr sim::OpCode kWriteOptions{0x05, 0x02};

    void expectFaultResults(const std::function<std::int32_t()>& op,
                            const std::vector<std::pair<std::function<void(sim::Faults&)>, std::int32_t>>& cases) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE("case " + std::to_string(i));
            freshDevice();
            cases[i].first(device().faults());
            expectResult(op(), cases[i].second);
        }
    }
};

const auto family = [](std::uint8_t byte) {
    return [byte](const ChipRecord& c) { return c.familyByte() == byte; };
};

TEST_F(OptionExchangeTest, TrimComesBeforeTheOptionWrite) {
    const ChipRecord& chip = selectChip(family(0xF8));
    ASSERT_STREQ(chip.items[2].name, "Trim_Frequency");
    ctx_.itemValue[2] = 2; // "11.0592M", frequency 3
    expectResult(writeOptions(&ctx_), S8_PASS);
    EXPECT_EQ(ctx_.trimWord, 0x0301);
    EXPECT_THAT(commandNames(), ElementsAre("04/0A", "07/01", "07/06", "05/02", "07/02"));
    EXPECT_EQ(lastCommand(0x07, 0x06)[4], 0x03);
    EXPECT_EQ(device().socket()->trimmedFrequency, 3);
    // Reply waits: power-on, trim, option write, power-down.
    EXPECT_THAT(device().statusWaits(), ElementsAre(5000u, 5000u, 1000u, 1000u));

    freshDevice();
    ctx_.itemValue[2] = 0; // external clock: nothing to trim
    expectResult(writeOptions(&ctx_), S8_PASS);
    EXPECT_THAT(commandNames(), Not(Contains("07/06")));

    // The virtual chip's oscillator reaches only what its family offers.
    const sim::VirtualChip target(chip);
    EXPECT_TRUE(target.canTrimTo(3));
    EXPECT_FALSE(target.canTrimTo(2)); // "8M" is not in the list
    EXPECT_FALSE(target.canTrimTo(9));
}

TEST_F(OptionExchangeTest, TrimAndOptionWriteFailures) {
    selectChip(family(0xF8));
    ctx_.itemValue[2] = 2;
    expectFaultResults([&] { return writeOptions(&ctx_); },
                       {{[](sim::Faults& f) { f.status[kTrim] = 2; }, S8_TRIM_FAILED},
                        {[](sim::Faults& f) { f.noStatusReply.insert(kTrim); }, S8_RECEIVE_ERROR},
                        {[](sim::Faults& f) { f.wrongTag.insert(kTrim); }, S8_RECEIVE_ERROR},
                        {[](sim::Faults& f) { f.refuseSetFeature.at = 3; }, S8_SEND_ERROR},
                        {[](sim::Faults& f) { f.refuseSetFeature.at = 4; }, S8_SEND_ERROR},
                        {[](sim::Faults& f) { f.refuseSetFeature.at = 5; }, S8_SEND_ERROR},
                        {[](sim::Faults& f) { f.status[kWriteOptions] = 1; }, S8_CHECKSUM_ERROR},
                        {[](sim::Faults& f) { f.status[kWriteOptions] = 2; }, S8_FAIL},
                        {[](sim::Faults& f) { f.noStatusReply.insert(kWriteOptions); }, S8_FAIL},
                        {[](sim::Faults& f) { f.wrongTag.insert(kWriteOptions); }, S8_FAIL}});
    // A refused trim writes no options.
    freshDevice();
    device().faults().status[kTrim] = 2;
    writeOptions(&ctx_);
    EXPECT_THAT(commandNames(), Not(Contains("05/02")));
}

TEST_F(OptionExchangeTest, TwoOptionBytesGoOutWithTheirSum) {
    selectChip([](const ChipRecord& c) { return c.optionByteCount == 2; });
    ctx_.itemValue[0] = 1;
    ctx_.bitValue[2] = 1;
    OptionBlock expected(2, 0xFF);
    EncodeOptions(ctx_, expected);
    expectResult(writeOptions(&ctx_), S8_PASS);
    const CommandBytes write = lastCommand(0x05, 0x02);
    EXPECT_EQ(u32At(write, 8), 2u);
    EXPECT_EQ(u16At(write, 12), expected[0] + expected[1]);
    EXPECT_EQ(device().socket()->options[0], expected[0]);
    EXPECT_EQ(device().socket()->options[1], expected[1]);
}

TEST_F(OptionExchangeTest, ReadOptionsDecodesWhatTheChipHolds) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) { return c.optionByteCount == 2; });
    socketChip().options[0] = 0xF8; // LOCK, SB and MOVCL on, in bits 0..2
    expectResult(readOptions(&ctx_), S8_PASS);
    EXPECT_EQ(u32At(lastCommand(0x06, 0x02), 8), 2u);
    for (int j = 0; j < kBitSlots; ++j) {
        const std::string name = chip.bits[j].name;
        if (name == "NA") continue;
        EXPECT_EQ(ctx_.bitValue[j], name == "LOCK" || name == "SB" || name == "MOVCL" ? 1u : 0u) << name;
    }
    expectFaultResults([&] { return readOptions(&ctx_); },
                       {{[](sim::Faults& f) { f.refuseSetFeature.at = 3; }, S8_SEND_ERROR},
                        {[](sim::Faults& f) { f.refuseGetFeature.at = 2; }, S8_RECEIVE_ERROR}});
}

TEST_F(OptionExchangeTest, StoredChecksumIsWrittenAndReadBackEvenWhenLocked) {
    selectChip([](const ChipRecord& c) { return c.chipChecksumSupported == 1 && c.optionByteCount == 7; });
    ctx_.autoProcess = S8_STEP_RUNNING | S8_STEP_SAVE_CHIP_CHECKSUM;
    ctx_.flashFullChecksum = 0x1A2B;
    expectResult(writeOptions(&ctx_), S8_PASS);
    EXPECT_EQ(u32At(lastCommand(0x05, 0x02), 8), 16u);
    EXPECT_EQ(device().socket()->options[14], 0x2B);
    EXPECT_EQ(device().socket()->options[15], 0x1A);

    std::uint16_t checksum = 0;
    expectResult(readCheckSum(&ctx_, &checksum), S8_PASS);
    EXPECT_EQ(checksum, 0x1A2B);
    EXPECT_EQ(u32At(lastCommand(0x06, 0x02), 8), 20u);

    device().socket()->locked = true;
    checksum = 0;
    expectResult(readCheckSum(&ctx_, &checksum), S8_PASS);
    EXPECT_EQ(checksum, 0x1A2B);

    // Only a complete read is handed over.
    const std::pair<sim::ReportFault sim::Faults::*, int> refusals[] = {
        {&sim::Faults::refuseGetFeature, 2}, {&sim::Faults::refuseSetFeature, 3}};
    for (const auto& [which, at] : refusals) {
        device().faults() = {};
        (device().faults().*which).at = at;
        checksum = 0x7777;
        const std::int32_t result = readCheckSum(&ctx_, &checksum);
        EXPECT_TRUE(result == S8_RECEIVE_ERROR || result == S8_SEND_ERROR) << result;
        EXPECT_EQ(checksum, 0x7777);
    }
}

TEST_F(OptionExchangeTest, DumpCopiesFlashEepromAndOptions) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) { return c.eepromSize != 0; });
    sim::VirtualChip& target = socketChip();
    target.flash = randomBytes(chip.flashSize, random_);
    target.eeprom = randomBytes(chip.eepromSize, random_);
    std::vector<std::uint8_t> flash(chip.flashSize), eeprom(chip.eepromSize);
    ctx_.flashData = flash.data();
    ctx_.eepromData = eeprom.data();
    ctx_.itemValue[2] = -99;

    expectResult(dumpTarget(&ctx_), S8_PASS);
    EXPECT_EQ(flash, target.flash);
    EXPECT_EQ(eeprom, target.eeprom);
    EXPECT_EQ(ctx_.flashLength, chip.flashSize);
    EXPECT_EQ(ctx_.eepromLength, chip.eepromSize);
    EXPECT_NE(ctx_.itemValue[2], -99); // the option selection was read too
    EXPECT_THAT(commandNames(), ElementsAre("04/0A", "07/01", "06/01", "06/06", "07/02", "04/0A",
                                            "07/01", "06/02", "07/02"));
}

TEST_F(OptionExchangeTest, DumpWithoutEepromLeavesItsLengthAlone) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) { return c.eepromSize == 0; });
    std::vector<std::uint8_t> flash(chip.flashSize);
    ctx_.flashData = flash.data();
    ctx_.eepromLength = 77;
    expectResult(dumpTarget(&ctx_), S8_PASS);
    EXPECT_EQ(ctx_.eepromLength, 77u);
    EXPECT_THAT(commandNames(), Not(Contains("06/06")));
}

// Neither buffer changes unless both memories were read completely.
TEST_F(OptionExchangeTest, FailedDumpLeavesTheBuffersUntouched) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) { return c.eepromSize != 0; });
    const std::uint32_t flashReports = chip.flashSize / 1024;
    for (int refusedGet : {3, 2 + static_cast<int>(flashReports)}) {
        SCOPED_TRACE(refusedGet);
        freshDevice();
        socketChip().flash.assign(chip.flashSize, 0x00);
        device().faults().refuseGetFeature.at = refusedGet;
        std::vector<std::uint8_t> flash(chip.flashSize, 0xEE), eeprom(chip.eepromSize, 0xEE);
        ctx_.flashData = flash.data();
        ctx_.eepromData = eeprom.data();
        ctx_.flashLength = 5;
        ctx_.eepromLength = 6;
        expectResult(dumpTarget(&ctx_), S8_RECEIVE_ERROR);
        EXPECT_THAT(flash, Not(Contains(Not(0xEE))));
        EXPECT_THAT(eeprom, Not(Contains(Not(0xEE))));
        EXPECT_EQ(ctx_.flashLength, 5u);
        EXPECT_EQ(ctx_.eepromLength, 6u);
    }
}

} // namespace
} // namespace scriba8::testing
