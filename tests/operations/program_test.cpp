// SPDX-License-Identifier: MIT
// Program, Verify and ProgramEEPROM against the virtual programmer, and the
// records every operation refuses before it touches the programmer.
#include "operations_fixture.h"

#include <gmock/gmock.h>

#include <functional>

namespace scriba8::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

class ProgramTest : public OperationsTest {
protected:
    static constexpr sim::OpCode kWriteFlash{0x05, 0x01};
    static constexpr sim::OpCode kEraseEeprom{0x02, 0x03};
    static constexpr sim::OpCode kWriteEeprom{0x05, 0x06};
};

const auto hasEeprom = [](const ChipRecord& c) { return c.eepromSize != 0; };
const auto noEeprom = [](const ChipRecord& c) { return c.eepromSize == 0; };

TEST_F(ProgramTest, ProgramThenVerifyTheImage) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) { return c.flashSize == 65536; });
    std::vector<std::uint8_t> image = randomBytes(chip.flashSize, random_);
    useImage(image);
    expectResult(program(&ctx_), S8_PASS);
    EXPECT_EQ(device().socket()->flash, image);
    const CommandBytes write = lastCommand(0x05, 0x01);
    EXPECT_EQ(u32At(write, 4), 0u);
    EXPECT_EQ(u32At(write, 8), 65536u);
    EXPECT_EQ(u16At(write, 12), sum16(image));
    EXPECT_THAT(device().statusWaits(), Contains(6260u));
    expectResult(verify(&ctx_), S8_PASS);

    image.back() ^= 0x01;
    ctx_.flashChecksum = sum16(image);
    expectResult(verify(&ctx_), S8_FAIL);
}

TEST_F(ProgramTest, StartAddressesGoOutLowByteFirstInBytesFourToSeven) {
    selectChip([](const ChipRecord& c) { return c.flashSize == 65536; });
    std::vector<std::uint8_t> image = randomBytes(16, random_);
    useImage(image);
    ctx_.flashStart = 0xA5C3;
    expectResult(program(&ctx_), S8_PASS);
    const CommandBytes flashWrite = lastCommand(0x05, 0x01);
    EXPECT_THAT(std::vector(flashWrite.begin() + 4, flashWrite.begin() + 8),
                ElementsAre(0xC3, 0xA5, 0x00, 0x00));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), device().socket()->flash.begin() + 0xA5C3));

    // Only the write is looked at here: the read-back always starts at address 0.
    selectChip([](const ChipRecord& c) { return c.eepromSize == 512; });
    std::vector<std::uint8_t> eeprom = randomBytes(16, random_);
    useEeprom(eeprom);
    ctx_.eepromStart = 0x0123;
    programEeprom(&ctx_);
    const CommandBytes eepromWrite = lastCommand(0x05, 0x06);
    EXPECT_THAT(std::vector(eepromWrite.begin() + 4, eepromWrite.begin() + 8),
                ElementsAre(0x23, 0x01, 0x00, 0x00));
    EXPECT_TRUE(std::equal(eeprom.begin(), eeprom.end(), device().socket()->eeprom.begin() + 0x0123));
}

TEST_F(ProgramTest, VerifyReadsOnlyTheImagesLength) {
    selectChip(noEeprom);
    std::vector<std::uint8_t> image(3000, 0xFF);
    std::fill(socketChip().flash.begin() + 3000, socketChip().flash.end(), std::uint8_t{0});
    useImage(image);
    const std::size_t before = getReports();
    expectResult(verify(&ctx_), S8_PASS);
    EXPECT_EQ(u32At(lastCommand(0x06, 0x01), 8), 3000u);
    EXPECT_EQ(getReports() - before, 1u + 3u);
}

TEST_F(ProgramTest, AnEmptyImageSendsOnlyTheCommand) {
    selectChip(noEeprom);
    ctx_.flashData = nullptr;
    ctx_.flashLength = 0;
    expectResult(program(&ctx_), S8_PASS);
    EXPECT_EQ(u32At(lastCommand(0x05, 0x01), 8), 0u);
    EXPECT_THAT(device().statusWaits(), ElementsAre(5000u, 5000u, 1000u));
}

TEST_F(ProgramTest, ProgramFailures) {
    selectChip(noEeprom);
    std::vector<std::uint8_t> image = randomBytes(300, random_);
    useImage(image);
    const struct {
        const char* what;
        std::function<void()> inject;
        std::int32_t expected;
    } cases[] = {
        {"checksum that does not match the data", [&] { ctx_.flashChecksum ^= 1; }, S8_CHECKSUM_ERROR},
        {"status 2", [&] { device().faults().status[kWriteFlash] = 2; }, S8_FAIL},
        {"no reply", [&] { device().faults().noStatusReply.insert(kWriteFlash); }, S8_FAIL},
        {"wrong tag", [&] { device().faults().wrongTag.insert(kWriteFlash); }, S8_FAIL},
        {"command refused", [&] { device().faults().refuseSetFeature.at = 3; }, S8_SEND_ERROR},
        {"last data report refused", [&] { device().faults().refuseSetFeature.at = 6; }, S8_SEND_ERROR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshDevice();
        ctx_.flashChecksum = sum16(image);
        c.inject();
        expectResult(program(&ctx_), c.expected);
    }

    freshDevice();
    device().faults().refuseGetFeature.at = 2;
    expectResult(verify(&ctx_), S8_RECEIVE_ERROR);
}

TEST_F(ProgramTest, EepromIsErasedWrittenAndReadBack) {
    const ChipRecord& chip = selectChip(hasEeprom);
    ASSERT_EQ(chip.eepromSize, 512u);
    ASSERT_EQ(chip.eepromPageSize, 16u);
    std::vector<std::uint8_t> image = randomBytes(chip.eepromSize, random_);
    useEeprom(image);
    std::fill(socketChip().eeprom.begin(), socketChip().eeprom.end(), std::uint8_t{0});

    expectResult(programEeprom(&ctx_), S8_PASS);
    EXPECT_EQ(device().socket()->eeprom, image);
    EXPECT_THAT(commandNames(), ElementsAre("04/0A", "07/01", "02/03", "05/06", "06/06", "07/02"));
    const CommandBytes erase = lastCommand(0x02, 0x03);
    EXPECT_EQ(u32At(erase, 8), 32u);
    EXPECT_EQ(u16At(erase, 12), 16);
    EXPECT_THAT(device().statusWaits(), ElementsAre(5000u, 1960u, 512u / 52 + 5000, 1000u));
}

TEST_F(ProgramTest, EepromFailures) {
    selectChip(hasEeprom);
    std::vector<std::uint8_t> image = randomBytes(64, random_);
    useEeprom(image);
    const struct {
        const char* what;
        std::function<void()> inject;
        std::int32_t expected;
    } cases[] = {
        {"erase refused", [] { device().faults().refuseSetFeature.at = 3; }, S8_SEND_ERROR},
        {"erase no reply", [] { device().faults().noStatusReply.insert(kEraseEeprom); }, S8_STATUS_TIMEOUT},
        {"erase wrong tag", [] { device().faults().wrongTag.insert(kEraseEeprom); }, S8_FAIL},
        {"erase status", [] { device().faults().status[kEraseEeprom] = 2; }, S8_FAIL},
        {"write refused", [] { device().faults().refuseSetFeature.at = 4; }, S8_SEND_ERROR},
        {"write checksum", [] { device().faults().status[kWriteEeprom] = 1; }, S8_CHECKSUM_ERROR},
        {"write status", [] { device().faults().status[kWriteEeprom] = 3; }, S8_FAIL},
        {"write no reply", [] { device().faults().noStatusReply.insert(kWriteEeprom); }, S8_FAIL},
        {"read-back refused", [] { device().faults().refuseSetFeature.at = 6; }, S8_SEND_ERROR},
        {"read-back short", [] { device().faults().refuseGetFeature.at = 2; }, S8_RECEIVE_ERROR},
        {"read-back differs", [] { device().socket()->scrambled = true; }, S8_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshDevice();
        socketChip();
        c.inject();
        expectResult(programEeprom(&ctx_), c.expected);
    }
}

// Buffers that do not fit the chip, missing buffers, and an EEPROM program on
// a chip without EEPROM: 102 with nothing sent to the programmer.
TEST_F(ProgramTest, UnusableRecordsAreRefusedBeforeConnecting) {
    const ChipRecord& plain = *chipAt(chipIndexWhere(noEeprom));
    const ChipRecord& withEeprom = *chipAt(chipIndexWhere(hasEeprom));
    std::vector<std::uint8_t> big(plain.flashSize + 1, 0xFF);
    std::vector<std::uint8_t> bigEeprom(withEeprom.eepromSize + 1, 0xFF);
    std::vector<std::uint8_t> small(16, 0xFF);
    std::uint16_t checksum = 0x5555;

    const struct {
        const char* what;
        bool chipWithEeprom;
        std::function<void()> prepare;
        std::function<std::int32_t()> run;
    } cases[] = {
        {"image larger than the Flash", false, [&] { useImage(big); }, [&] { return program(&ctx_); }},
        {"image beyond the Flash", false, [&] { useImage(small); ctx_.flashStart = plain.flashSize - 8; },
         [&] { return program(&ctx_); }},
        {"no image data", false, [&] { useImage(small); ctx_.flashData = nullptr; }, [&] { return program(&ctx_); }},
        {"verify larger than the Flash", false, [&] { useImage(big); }, [&] { return verify(&ctx_); }},
        {"verify without data", false, [&] { useImage(small); ctx_.flashData = nullptr; }, [&] { return verify(&ctx_); }},
        {"EEPROM on a chip without", false, [&] { useEeprom(small); }, [&] { return programEeprom(&ctx_); }},
        {"EEPROM image too large", true, [&] { useEeprom(bigEeprom); }, [&] { return programEeprom(&ctx_); }},
        {"EEPROM without data", true, [&] { useEeprom(small); ctx_.eepromData = nullptr; },
         [&] { return programEeprom(&ctx_); }},
        {"dump without Flash buffer", false, [&] { ctx_.flashData = nullptr; }, [&] { return dumpTarget(&ctx_); }},
        {"dump without EEPROM buffer", true, [&] { useImage(big); ctx_.eepromData = nullptr; },
         [&] { return dumpTarget(&ctx_); }},
        {"checksum read without a place for it", false, [] {}, [&] { return readCheckSum(&ctx_, nullptr); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ctx_.partIndex = chipIndexWhere(c.chipWithEeprom ? hasEeprom : noEeprom);
        ctx_.flashStart = 0;
        c.prepare();
        status_ = 0xBEEF;
        expectResult(c.run(), S8_FAIL);
        EXPECT_TRUE(device().commands().empty());
    }
    ctx_.partIndex = chipIndexWhere(noEeprom);
    EXPECT_EQ(readCheckSum(&ctx_, &checksum), S8_PASS);
    EXPECT_EQ(checksum, 0xFFFF); // a fresh chip stores none
}

} // namespace
} // namespace scriba8::testing
