// SPDX-License-Identifier: MIT
// The virtual programmer on its own: chips programmed from what OffLineMode
// stored, counters and serial numbers as the read-back then shows them, and
// the trigger for manual runs.
#include "offline_fixture.h"

#include "chips/options.h"
#include "sim/offline_run.h"
#include "sim/virtual_backend.h"

#include <gmock/gmock.h>

#include <cstdlib>

namespace scriba8::testing {
namespace {

using ::testing::ElementsAre;
using Stop = sim::OffLineRun::Stop;

// The 16 bytes at the serial address of the chip in the socket.
std::vector<std::uint8_t> serialBlock(sim::VirtualProgrammer& device, std::uint32_t address) {
    const auto& flash = device.socket()->flash;
    return {flash.begin() + address, flash.begin() + address + 16};
}

TEST_F(OffLineTest, StandAloneRunProgramsEachChipFromTheStore) {
    prepare("VS8K116", 3000, 200,
            S8_STEP_WHOLE_CHIP_ERASE | S8_STEP_BLANK_CHECK | S8_STEP_PROGRAM | S8_STEP_EEPROM_PROGRAM |
                S8_STEP_VERIFY | S8_STEP_WRITE_OPTIONS | S8_STEP_SAVE_CHIP_CHECKSUM);
    ASSERT_EQ(download(), S8_PASS);
    const sim::OffLineRun run = device().runOffLine(3);
    EXPECT_EQ(run.programmed, 3);
    EXPECT_EQ(run.stop, Stop::Done);

    // The socket holds the third chip.
    const sim::VirtualChip& chip = *device().socket();
    EXPECT_STREQ(chip.record().partName, "VS8K116");
    EXPECT_TRUE(std::equal(flash_.begin(), flash_.end(), chip.flash.begin()));
    EXPECT_THAT(serialBlock(device(), ctx_.serialAddress),
                ElementsAre('S', 'N', '-', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
                            0x01, 0x02));
    EXPECT_TRUE(std::equal(eeprom_.begin(), eeprom_.end(), chip.eeprom.begin()));
    ContextRecord encoding = ctx_;
    encoding.autoProcess |= S8_STEP_RUNNING;
    OptionBlock options(chip.record().optionByteCount, 0xFF);
    EncodeOptions(encoding, options);
    ASSERT_EQ(options.size(), 16u); // with the chip checksum
    EXPECT_TRUE(std::equal(options.begin(), options.end(), chip.options.begin()));
}

TEST_F(OffLineTest, OnlyChipsThatPassEveryStepAreCounted) {
    prepare("VS8F116", 500, 0, S8_STEP_BLANK_CHECK | S8_STEP_PROGRAM | S8_STEP_VERIFY);
    ctx_.maxCounter = 3;
    ASSERT_EQ(download(), S8_PASS);

    // The same chip again is no longer blank.
    sim::OffLineRun run = device().runOffLine(5, true);
    EXPECT_EQ(run.programmed, 1);
    EXPECT_EQ(run.stop, Stop::ChipFailed);

    device().pinChip(chipAt(chipNamed("VS8A116")));
    run = device().runOffLine(5);
    EXPECT_EQ(run.programmed, 0);
    EXPECT_EQ(run.stop, Stop::NoChip);
    device().pinChip(nullptr);

    run = device().runOffLine(5);
    EXPECT_EQ(run.programmed, 2);
    EXPECT_EQ(run.stop, Stop::LimitReached);

    ContextRecord back = freshRecord();
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.currentCounter, 3);
    EXPECT_EQ(back.currentSerialNumber, 3u);
    EXPECT_EQ(back.maxCounter, 3);
}

TEST_F(OffLineTest, SerialNumberWithoutIncrementOrSwitchedOff) {
    prepare("VS8F116", 100);
    ctx_.serialFlags = 0x01;
    ctx_.serialNumber = 0xABCDEF01;
    ASSERT_EQ(download(), S8_PASS);
    ASSERT_EQ(device().runOffLine(2).programmed, 2);
    const auto block = serialBlock(device(), ctx_.serialAddress);
    EXPECT_THAT(std::span(block).subspan(12), ElementsAre(0xAB, 0xCD, 0xEF, 0x01));
    ContextRecord back = freshRecord();
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.currentSerialNumber, 0xABCDEF01u);
    EXPECT_EQ(back.currentCounter, 2);

    ctx_.serialFlags = 0x00;
    ASSERT_EQ(download(), S8_PASS);
    ASSERT_EQ(device().runOffLine(1).programmed, 1);
    EXPECT_THAT(serialBlock(device(), ctx_.serialAddress), ::testing::Each(0xFF));
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.currentSerialNumber, 0u);
    EXPECT_EQ(back.currentCounter, 1);
}

TEST_F(OffLineTest, NothingIsProgrammedFromAStoreThatDoesNotHold) {
    EXPECT_EQ(device().runOffLine(1).stop, Stop::NoSettings);

    prepare("VS8F116", 100);
    ASSERT_EQ(download(), S8_PASS);
    device().offLine().image[7] ^= 0x01;
    EXPECT_EQ(device().runOffLine(1).stop, Stop::ImageDamaged);
    device().offLine().image[7] ^= 0x01;
    device().offLine().settings[36] ^= 0x01; // the serial string, under the checksum
    EXPECT_EQ(device().runOffLine(1).stop, Stop::NoSettings);
}

TEST(OffLineRunSpec, Grammar) {
    auto wanted = sim::parseOffLineRunSpec("run=3");
    ASSERT_TRUE(std::holds_alternative<sim::OffLineRunSpec>(wanted));
    EXPECT_EQ(std::get<sim::OffLineRunSpec>(wanted).count, 3);
    EXPECT_FALSE(std::get<sim::OffLineRunSpec>(wanted).keepChip);

    wanted = sim::parseOffLineRunSpec(" keep-chip , run=0x10,");
    ASSERT_TRUE(std::holds_alternative<sim::OffLineRunSpec>(wanted));
    EXPECT_EQ(std::get<sim::OffLineRunSpec>(wanted).count, 16);
    EXPECT_TRUE(std::get<sim::OffLineRunSpec>(wanted).keepChip);

    for (const char* bad : {"", "keep-chip", "run=0", "run=1000001", "run=two", "run=3,walk"}) {
        wanted = sim::parseOffLineRunSpec(bad);
        EXPECT_TRUE(std::holds_alternative<std::string>(wanted)) << bad;
    }
    EXPECT_THAT(std::get<std::string>(sim::parseOffLineRunSpec("run=3,walk")), ::testing::HasSubstr("\"walk\""));
}

TEST_F(OffLineTest, TriggerRunsOnceAtTheFirstOpen) {
    prepare("VS8F116", 100);
    ASSERT_EQ(download(), S8_PASS);

    struct Variable {
        Variable() { ::setenv("SCRIBA8_VIRTUAL_OFFLINE", "run=2", 1); }
        ~Variable() { ::unsetenv("SCRIBA8_VIRTUAL_OFFLINE"); }
    } variable;
    device().environmentApplied = false; // as in a new process
    ContextRecord back = freshRecord();
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.currentCounter, 2);
    ASSERT_EQ(readBack(back), S8_PASS);
    EXPECT_EQ(back.currentCounter, 2);
}

} // namespace
} // namespace scriba8::testing
