// SPDX-License-Identifier: MIT
// Erase, BlankCheck and WholeChipErase against the virtual programmer.
#include "operations_fixture.h"

#include "operations/operation_steps.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>

namespace scriba8::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

struct FaultCase {
    const char* what;
    std::function<void(sim::Faults&)> inject;
    std::int32_t expected;
};

class EraseTest : public OperationsTest {
protected:
    // Runs op once per case on a fresh programmer.
    void expectFaultResults(const std::function<std::int32_t()>& op,
                            const std::vector<FaultCase>& cases) {
        for (const FaultCase& c : cases) {
            SCOPED_TRACE(c.what);
            freshDevice();
            c.inject(device().faults());
            expectResult(op(), c.expected);
        }
    }

    static constexpr sim::OpCode kEraseAll{0x02, 0x02};
    static constexpr sim::OpCode kWriteOptions{0x05, 0x02};
};

const auto is8KiBIn512BytePages = [](const ChipRecord& c) {
    return c.flashSize == 8192 && c.flashPageSize == 512;
};

TEST_F(EraseTest, EraseCoversEveryPageAndWaitsForThem) {
    EXPECT_EQ(PageCount(8200, 512), 17u);
    EXPECT_EQ(PageCount(8192, 512), 16u);

    selectChip(is8KiBIn512BytePages);
    std::fill(socketChip().flash.begin(), socketChip().flash.end(), std::uint8_t{0x00});
    expectResult(erase(&ctx_), S8_PASS);
    const CommandBytes command = lastCommand(0x02, 0x01);
    EXPECT_EQ(u32At(command, 8), 16u);
    EXPECT_EQ(u16At(command, 12), 512);
    EXPECT_THAT(device().statusWaits(), Contains(1480u));
    EXPECT_THAT(socketChip().flash, Not(Contains(Not(0xFF))));
}

TEST_F(EraseTest, EraseFailures) {
    selectChip(is8KiBIn512BytePages);
    const sim::OpCode eraseFlash{0x02, 0x01};
    expectFaultResults([&] { return erase(&ctx_); },
                       {{"no reply", [&](sim::Faults& f) { f.noStatusReply.insert(eraseFlash); }, S8_STATUS_TIMEOUT},
                        {"wrong tag", [&](sim::Faults& f) { f.wrongTag.insert(eraseFlash); }, S8_FAIL},
                        {"status 2", [&](sim::Faults& f) { f.status[eraseFlash] = 2; }, S8_FAIL},
                        {"command refused", [](sim::Faults& f) { f.refuseSetFeature.at = 3; }, S8_SEND_ERROR}});
}

TEST_F(EraseTest, BlankCheckReadsTheWholeFlashWhateverTheBuffer) {
    const ChipRecord& chip = selectChip(is8KiBIn512BytePages);
    std::vector<std::uint8_t> shortImage(100, 0x00);
    useImage(shortImage);
    std::size_t before = getReports();
    expectResult(blankCheck(&ctx_), S8_PASS);
    EXPECT_EQ(u32At(lastCommand(0x06, 0x01), 8), chip.flashSize);
    EXPECT_EQ(getReports() - before, 1 + chip.flashSize / 1024);

    // Only the last byte is not blank: found after everything was read.
    socketChip().flash.back() = 0xFE;
    before = getReports();
    expectResult(blankCheck(&ctx_), S8_FAIL);
    EXPECT_EQ(getReports() - before, 1 + chip.flashSize / 1024);

    device().socket()->flash.back() = 0xFF;
    device().faults().refuseGetFeature.at = 3; // the second Flash report
    expectResult(blankCheck(&ctx_), S8_RECEIVE_ERROR);
}

TEST_F(EraseTest, WholeChipEraseUnlocksAndWritesReleasedDefaults) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) {
        return c.optionByteCount == 2 && bitNamed(c, "LOCK") && bitNamed(c, "SB");
    });
    sim::VirtualChip& target = socketChip();
    std::fill(target.flash.begin(), target.flash.end(), std::uint8_t{0x12});
    target.locked = true;

    expectResult(wholeChipErase(&ctx_), S8_PASS);
    EXPECT_THAT(commandNames(),
                ElementsAre("04/0A", "07/01", "02/02", "07/02", "07/01", "05/02", "07/02"));
    EXPECT_THAT(sleeps(), Contains(500u));
    EXPECT_FALSE(target.locked);
    EXPECT_THAT(target.flash, Not(Contains(Not(0xFF))));

    // "0xF8,0xFF" with LOCK (bit 0) and SB (bit 1) set again.
    ASSERT_STREQ(chip.defaultOptions, "0xF8,0xFF");
    EXPECT_EQ(target.options[0], 0xFB);
    EXPECT_EQ(target.options[1], 0xFF);
    const CommandBytes write = lastCommand(0x05, 0x02);
    EXPECT_EQ(u32At(write, 8), 2u);
    EXPECT_EQ(u16At(write, 12), 0xFB + 0xFF);
}

TEST_F(EraseTest, WholeChipEraseAfterARejectedIdentityDependsOnTheFamily) {
    for (std::uint8_t family : {0xF0, 0xF1, 0xF2, 0xF3, 0xF4}) {
        SCOPED_TRACE(int{family});
        selectChip([&](const ChipRecord& c) { return c.familyByte() == family; });
        freshDevice();
        device().faults().statusAt[{sim::kPowerOnOp, 1}] = 5;
        expectResult(wholeChipErase(&ctx_), family == 0xF4 ? S8_ID_REJECTED : S8_PASS);
        const auto names = commandNames();
        EXPECT_EQ(std::count(names.begin(), names.end(), "02/02"), family == 0xF4 ? 0 : 1);
    }
}

TEST_F(EraseTest, WholeChipEraseFailures) {
    selectChip([](const ChipRecord& c) { return c.familyByte() == 0xF6; });
    const auto nth = [](sim::OpCode op, int n, std::uint16_t status) {
        return [=](sim::Faults& f) { f.statusAt[{op, n}] = status; };
    };
    expectFaultResults(
        [&] { return wholeChipErase(&ctx_); },
        {{"erase refused", [](sim::Faults& f) { f.refuseSetFeature.at = 3; }, S8_SEND_ERROR},
         {"erase status", nth(kEraseAll, 1, 1), S8_FAIL},
         {"erase no reply", [](sim::Faults& f) { f.noStatusReply.insert(kEraseAll); }, S8_FAIL},
         {"erase wrong tag", [](sim::Faults& f) { f.wrongTag.insert(kEraseAll); }, S8_FAIL},
         {"power-down refused", nth(sim::kPowerDownOp, 1, 1), S8_POWER_DOWN_FAILED},
         {"second power-on: identity", nth(sim::kPowerOnOp, 2, 5), S8_ID_REJECTED},
         {"second power-on: locked", nth(sim::kPowerOnOp, 2, 6), S8_CHIP_LOCKED},
         {"second power-on: failed", nth(sim::kPowerOnOp, 2, 2), S8_POWER_ON_FAILED},
         {"option data refused", [](sim::Faults& f) { f.refuseSetFeature.at = 7; }, S8_SEND_ERROR},
         {"option checksum", nth(kWriteOptions, 1, 1), S8_CHECKSUM_ERROR},
         {"option status", nth(kWriteOptions, 1, 2), S8_FAIL},
         {"option no reply", [](sim::Faults& f) { f.noStatusReply.insert(kWriteOptions); }, S8_FAIL}});

    // A refused power-down ends the operation there (the fault as a manual
    // run would give it); a locked second power-on is powered down once more.
    freshDevice();
    const auto wanted = sim::parseFaultSpec("status=07/02@1:1");
    ASSERT_TRUE(std::holds_alternative<sim::FaultSpec>(wanted));
    device().faults() = std::get<sim::FaultSpec>(wanted).faults;
    wholeChipErase(&ctx_);
    EXPECT_THAT(commandNames(), ElementsAre("04/0A", "07/01", "02/02", "07/02"));
    freshDevice();
    nth(sim::kPowerOnOp, 2, 6)(device().faults());
    wholeChipErase(&ctx_);
    EXPECT_THAT(commandNames(),
                ElementsAre("04/0A", "07/01", "02/02", "07/02", "07/01", "07/02", "07/02"));
}

} // namespace
} // namespace scriba8::testing
