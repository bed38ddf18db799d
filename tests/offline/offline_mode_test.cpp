// SPDX-License-Identifier: MIT
// OffLineMode and ReadOffLineModeInfo end to end against the virtual
// programmer: what goes over the link, what comes back, and every way a
// download can fail.
#include "offline_fixture.h"

#include "sim/faults.h"

#include <gmock/gmock.h>

namespace scriba8::testing {
namespace {

using ::testing::ElementsAre;

std::uint16_t u16At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t u32At(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

TEST_F(OffLineTest, DownloadThenReadBackGivesEveryFieldAndTheProgrammersCounters) {
    prepare("VS8K116", 3000, 200,
            S8_STEP_WHOLE_CHIP_ERASE | S8_STEP_PROGRAM | S8_STEP_EEPROM_PROGRAM | S8_STEP_VERIFY |
                S8_STEP_WRITE_OPTIONS | S8_STEP_SAVE_CHIP_CHECKSUM);
    ctx_.maxCounter = 500;
    ctx_.bitValue[0] = ctx_.bitValue[0] == 1 ? 0 : 1; // something other than the defaults
    ASSERT_EQ(download(), S8_PASS);
    EXPECT_EQ(status_, S8_PASS);

    ContextRecord back = freshRecord();
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(readStatus_, S8_PASS);
    EXPECT_EQ(back.partIndex, ctx_.partIndex);
    EXPECT_EQ(back.flashStart, ctx_.flashStart);
    EXPECT_EQ(back.flashLength, ctx_.flashLength);
    EXPECT_EQ(back.flashChecksum, ctx_.flashChecksum);
    EXPECT_EQ(back.eepromStart, ctx_.eepromStart);
    EXPECT_EQ(back.eepromLength, ctx_.eepromLength);
    EXPECT_EQ(back.eepromChecksum, ctx_.eepromChecksum);
    EXPECT_EQ(back.autoProcess, ctx_.autoProcess & 0xFF);
    EXPECT_EQ(back.serialFlags, ctx_.serialFlags);
    EXPECT_EQ(back.serialAddress, ctx_.serialAddress);
    EXPECT_EQ(0, std::memcmp(back.serialString, ctx_.serialString, sizeof back.serialString));
    EXPECT_EQ(back.serialNumber, ctx_.serialNumber);
    EXPECT_EQ(back.maxCounter, 500);
    EXPECT_EQ(back.trimWord, ctx_.trimWord);
    EXPECT_EQ(back.currentCounter, 0);
    EXPECT_EQ(back.currentSerialNumber, 0u);
    EXPECT_THAT(back.itemValue, ::testing::ElementsAreArray(ctx_.itemValue));
    EXPECT_THAT(back.bitValue, ::testing::ElementsAreArray(ctx_.bitValue));

    // The programmer works on its own; its counters change, the block still reads.
    ASSERT_EQ(device().runOffLine(2).programmed, 2);
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.currentCounter, 2);
    EXPECT_EQ(back.currentSerialNumber, 2u); // the next chip gets serialNumber + 2
    EXPECT_EQ(back.serialNumber, 0x100u);
}

TEST_F(OffLineTest, TrimWordTravelsWithTheSettings) {
    prepare("VS8B116", 100);
    const ChipRecord& chip = *chipAt(ctx_.partIndex);
    ASSERT_STREQ(chip.items[2].name, "Trim_Frequency");
    ctx_.itemValue[2] = 3; // "12M" in "External,6M,11.0592M,12M"
    ASSERT_EQ(download(), S8_PASS);
    EXPECT_EQ(ctx_.trimWord, 0x0401);
    EXPECT_EQ(storedSettings()[60], 0x01);
    EXPECT_EQ(storedSettings()[61], 0x04);

    ContextRecord back = freshRecord();
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.trimWord, 0x0401);
}

TEST_F(OffLineTest, SettingsBlockOfASevenByteChip) {
    prepare("VS8F116", 1000);
    const ChipRecord& chip = *chipAt(ctx_.partIndex);
    ASSERT_EQ(chip.optionByteCount, 7u);
    ASSERT_EQ(download(), S8_PASS);
    auto block = storedSettings();
    ASSERT_EQ(block.size(), 75u);
    EXPECT_EQ(u16At(block, 0), sum16(std::span(block).subspan(2)));
    EXPECT_EQ(u16At(block, 2), 75);
    EXPECT_EQ(block[4], 2);
    EXPECT_EQ(u16At(block, 5), chip.partCode);
    EXPECT_EQ(block[7], chip.chipId[0]);
    EXPECT_EQ(block[8], chip.chipId[1]);
    EXPECT_EQ(block[9], 5);
    EXPECT_EQ(u32At(block, 14), 1000u);
    EXPECT_EQ(u16At(block, 18), ctx_.flashChecksum);
    EXPECT_EQ(block[30], S8_DEFAULT_AUTO_PROCESS);
    EXPECT_EQ(block[31], 0x03);
    EXPECT_EQ(u32At(block, 32), chip.flashSize - 16);
    EXPECT_EQ(block[36], 'S');
    EXPECT_EQ(block[47], 0xFF);
    EXPECT_EQ(u32At(block, 48), 0x100u);
    EXPECT_THAT(std::span(block).subspan(52, 4), ElementsAre(0, 0, 0, 0));
    EXPECT_THAT(std::span(block).subspan(58, 2), ElementsAre(0, 0));
    EXPECT_TRUE(std::equal(chip.targetParams, chip.targetParams + 4, block.begin() + 62));
    EXPECT_EQ(block[66], chip.algorithm);
    EXPECT_EQ(block[67], 7);

    // The command carries the sum of the whole block, its checksum included.
    const auto& settingsCommand = device().commands().back();
    EXPECT_EQ(settingsCommand[2], 0x05);
    EXPECT_EQ(settingsCommand[3], 0x03);
    EXPECT_EQ(u32At(settingsCommand, 4), 0u);
    EXPECT_EQ(u32At(settingsCommand, 8), 75u);
    EXPECT_EQ(u16At(settingsCommand, 12), sum16(block));

    // "Save Chip Checksum" on a chip that stores one: 16 option bytes.
    ctx_.autoProcess |= S8_STEP_SAVE_CHIP_CHECKSUM;
    ASSERT_EQ(download(), S8_PASS);
    block = storedSettings();
    ASSERT_EQ(block.size(), 84u);
    EXPECT_EQ(block[67], 16);
    EXPECT_EQ(u16At(block, 68 + 14), ctx_.flashFullChecksum);
    EXPECT_EQ(block[68 + 7], 0xFF);
}

TEST_F(OffLineTest, CodeImageIsFlashThenEepromAndNothingIsPowered) {
    prepare("VS8K116", 16000, 512);
    ctx_.flashStart = 0x20;
    ASSERT_EQ(download(), S8_PASS);
    std::vector<std::uint8_t> image = flash_;
    image.insert(image.end(), eeprom_.begin(), eeprom_.end());
    EXPECT_EQ(device().offLine().image, image);
    const auto& imageCommand = device().commands().at(1);
    EXPECT_EQ(u32At(imageCommand, 4), 0x20u);
    EXPECT_EQ(u32At(imageCommand, 8), 16512u);
    EXPECT_EQ(u16At(imageCommand, 12), sum16(image));
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A", "05/04", "05/03"));
    EXPECT_FALSE(ProgrammerIsOpen());
    // Replies are awaited as long as the data needs; the programmer prepares
    // its store before it takes the image.
    EXPECT_THAT(device().statusWaits(), ElementsAre(16512 / 52 + 5000, 75 / 52 + 5000));
    EXPECT_THAT(sleeps(), ::testing::Contains(2000u));

    ContextRecord back = freshRecord();
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A", "05/04", "05/03", "04/0A", "06/03"));
    EXPECT_EQ(u32At(device().commands().back(), 8), 256u);
}

TEST_F(OffLineTest, ThirtyTwoKilobytesWaitUpTo5630Milliseconds) {
    prepare("VS8F132", 32768);
    ASSERT_EQ(download(), S8_PASS);
    EXPECT_EQ(device().statusWaits().front(), 5630u);
}

struct FaultCase {
    const char* faults;
    std::int32_t expected;
};

TEST_F(OffLineTest, StatusRepliesAndTransferFailures) {
    prepare("VS8F116", 1000); // the image goes in 8 reports: set-feature 3 to 10
    const std::vector<FaultCase> cases{
        {"status=05/04:1", S8_CHECKSUM_ERROR},  {"status=05/04:2", S8_FAIL},
        {"no-reply=05/04", S8_FAIL},            {"wrong-tag=05/04", S8_FAIL},
        {"status=05/03:1", S8_CHECKSUM_ERROR},  {"status=05/03:9", S8_FAIL},
        {"no-reply=05/03", S8_FAIL},            {"wrong-tag=05/03", S8_FAIL},
        {"set-fail=2", S8_SEND_ERROR},          {"set-fail=3", S8_SEND_ERROR},
        {"set-fail=10", S8_SEND_ERROR},         {"set-fail=11", S8_SEND_ERROR},
        {"set-fail=12", S8_SEND_ERROR},         {"set-fail=1", S8_SEND_ERROR},
        {"get-fail=1", S8_RECEIVE_ERROR},       {"absent", S8_NO_PROGRAMMER},
        {"status=07/01:2", S8_PASS},            {"power-down-refused", S8_PASS},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.faults);
        device().reset();
        device().environmentApplied = true;
        device().faults() = std::get<sim::FaultSpec>(sim::parseFaultSpec(c.faults)).faults;
        EXPECT_EQ(download(), c.expected);
        EXPECT_EQ(status_, c.expected);
        EXPECT_FALSE(ProgrammerIsOpen());
        for (const auto& command : device().commands()) EXPECT_NE(command[2], 0x07); // no power commands
    }
}

TEST_F(OffLineTest, AFailedSettingsDownloadLeavesNoStaleSettings) {
    prepare("VS8F116", 100);
    ASSERT_EQ(download(), S8_PASS);
    device().faults().status[{0x05, 0x03}] = 1;
    flash_[0] ^= 0xFF;
    ctx_.flashChecksum = sum16(flash_);
    ASSERT_EQ(download(), S8_CHECKSUM_ERROR);
    // The old settings described the old image.
    ContextRecord back = freshRecord();
    EXPECT_EQ(readBack(back), S8_NO_OFFLINE_INFO);
    EXPECT_EQ(readStatus_, S8_NO_OFFLINE_INFO);
    EXPECT_EQ(back.partIndex, -1);
}

TEST_F(OffLineTest, UnusableRecordsAreRefusedBeforeTheProgrammerIsTouched) {
    prepare("VS8F116", 100);
    const ChipRecord& chip = *chipAt(ctx_.partIndex);
    auto refused = [&](std::int32_t expected) {
        device().reset();
        device().environmentApplied = true;
        EXPECT_EQ(download(), expected);
        EXPECT_EQ(status_, expected);
        EXPECT_TRUE(device().commands().empty());
    };

    ctx_.serialAddress = chip.flashSize - 15; // the serial block would leave the Flash
    refused(S8_FAIL);
    ctx_.serialFlags = 0x02; // no serial number: its address does not matter
    device().reset();
    EXPECT_EQ(download(), S8_PASS);

    ctx_.flashData = nullptr;
    refused(S8_FAIL);
    ctx_.flashData = flash_.data();
    ctx_.flashStart = chip.flashSize - 50; // 100 bytes from there do not fit
    refused(S8_FAIL);
    ctx_.flashStart = 0;
    ctx_.eepromLength = 1; // the chip has no EEPROM
    ctx_.eepromData = flash_.data();
    refused(S8_FAIL);
    ctx_.eepromLength = 0;
    ctx_.partIndex = -1;
    refused(S8_PART_UNSUPPORTED);
}

TEST_F(OffLineTest, ReadBackFailures) {
    ContextRecord back = freshRecord();
    EXPECT_EQ(readBack(back), S8_NO_OFFLINE_INFO);
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A", "06/03"));

    prepare("VS8F116", 100);
    ASSERT_EQ(download(), S8_PASS);
    for (const FaultCase& c : std::vector<FaultCase>{{"get-fail=2", S8_RECEIVE_ERROR},
                                                     {"set-fail=2", S8_SEND_ERROR},
                                                     {"absent", S8_NO_PROGRAMMER}}) {
        SCOPED_TRACE(c.faults);
        device().faults() = std::get<sim::FaultSpec>(sim::parseFaultSpec(c.faults)).faults;
        back = freshRecord();
        EXPECT_EQ(readBack(back), c.expected);
        EXPECT_EQ(readStatus_, c.expected);
        EXPECT_EQ(back.partIndex, -1);
        EXPECT_FALSE(ProgrammerIsOpen());
    }
}

} // namespace
} // namespace scriba8::testing
