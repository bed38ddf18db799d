// SPDX-License-Identifier: MIT
// The connection check against the virtual programmer: firmware questions,
// the update loop, the power-on command and its status mapping.
#include "link_fixture.h"
#include "recording_backend.h"

#include "link/connection.h"
#include "link/usb_ids.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace scriba8::testing {
namespace {

using ::testing::ElementsAre;

class ConnectionTest : public LinkTest {};

TEST_F(ConnectionTest, PowerOnCommandCarriesTheChipIdentityAndParameters) {
    ChipRecord chip{};
    chip.chipId[0] = 0x12;
    chip.chipId[1] = 0xF5;
    chip.targetParams[0] = 1;
    chip.targetParams[1] = 2;
    chip.targetParams[2] = 3;
    chip.targetParams[3] = 4;
    chip.algorithm = 7;
    const CommandBlock command = PowerOnCommand(chip);
    EXPECT_THAT(command, ElementsAre(0x55, command[1], 0x07, 0x01, 0x12, 0xF5, 0x05, 0x01, 0x02,
                                     0x03, 0x04, 0x07, 0, 0, 0, 0));
}

TEST_F(ConnectionTest, SelectedChipIsPoweredByteForByte) {
    ctx_.partIndex = 3;
    ASSERT_EQ(ConnectProgrammer(ctx_, true), LinkCode::Ok);
    const ChipRecord& chip = *chipAt(3);
    const auto lines = traceLinesStartingWith("SET 0001 55");
    ASSERT_EQ(lines.size(), 2u); // firmware query, power-on
    const auto words = splitWords(lines[1]);
    char expected[64];
    std::snprintf(expected, sizeof expected, "07 01 %02X %02X 05 %02X %02X %02X %02X %02X",
                  chip.chipId[0], chip.chipId[1], chip.targetParams[0], chip.targetParams[1],
                  chip.targetParams[2], chip.targetParams[3], static_cast<unsigned>(chip.algorithm));
    std::string got;
    for (std::size_t i = 4; i < 14; ++i) got += (i > 4 ? " " : "") + words[i];
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(device().targetPowered());
    EXPECT_THAT(device().statusWaits(), ElementsAre(5000));
}

struct FirmwareCase {
    std::uint32_t main;
    std::uint16_t aux;
    bool supports8051;
    LinkCode expected;
};

TEST_F(ConnectionTest, FirmwareChecksRunInOrder) {
    const FirmwareCase cases[] = {
        {0x00150003, 0x0104, true, LinkCode::Ok},
        {0x00150004, 0x0104, true, LinkCode::FirmwareMismatch},
        {0x00150003, 0x0103, true, LinkCode::AuxFirmwareMismatch},
        {0x00150004, 0x0103, true, LinkCode::FirmwareMismatch},
        {0x00150003, 0x0104, false, LinkCode::No8051Support},
        {0x00000000, 0x0000, false, LinkCode::No8051Support},
    };
    for (const FirmwareCase& c : cases) {
        device().firmware() = {c.main, c.aux, c.supports8051};
        ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
        EXPECT_EQ(QueryFirmware(), c.expected) << std::hex << c.main << " " << c.aux;
    }
    EXPECT_EQ(traceLinesStartingWith("GET 0001").back(), "GET 0001 00 00 00 00 00 00 00 01");
}

TEST_F(ConnectionTest, EachMismatchAsksItsOwnQuestionAndNoEndsTheCheck) {
    struct Case {
        sim::FirmwareVersions firmware;
        const char* question;
    };
    const Case cases[] = {
        {{0x00150004, 0x0104, true}, "Unmatched FW version, Do you want to update ?"},
        {{0x00150003, 0x0104, false}, "FW is not support 8051, Do you want to update ?"},
        {{0x00150003, 0x0103, true}, "Unmatched sub MCU FW version, Do you want to update ?"},
    };
    for (const Case& c : cases) {
        device().firmware() = c.firmware;
        host_.questions.clear();
        EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::UpdateDeclined);
        EXPECT_THAT(host_.questions, ElementsAre(c.question));
    }
    ctx_.host = nullptr; // nobody to ask: No
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::UpdateDeclined);
    EXPECT_EQ(commandsSent().back(), "04/0A"); // nothing after the question
}

TEST_F(ConnectionTest, AcceptedUpdatesLoopUntilTheFirmwareMatches) {
    device().firmware() = {0x00120000, 0x0100, false};
    host_.answer = true;
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::Ok);
    // 8051 first (main update), then the auxiliary controller.
    EXPECT_THAT(host_.questions, ElementsAre(kNo8051Question, kAuxFirmwareQuestion));
    EXPECT_EQ(device().firmware().main, 0x00150003u);
    EXPECT_EQ(device().firmware().aux, 0x0104u);
    EXPECT_TRUE(device().firmware().supports8051);
    // Boot loader start, erase, new firmware start, restart; restart after the aux update.
    EXPECT_THAT(sleeps(), ElementsAre(2000, 1320, 1000, 2000, 2000));
}

// The version reply as the programmer sends it, byte for byte, against a
// scripted device rather than the virtual programmer's own encoding.
TEST_F(ConnectionTest, FirmwareReplyBytesAreReadLowByteFirst) {
    Recorder recorder;
    RecordingBackend backend(recorder);
    setBackendOverride(&backend);
    struct Case {
        std::vector<std::uint8_t> reply;
        LinkCode expected;
        const char* question;
    };
    const Case cases[] = {
        {{0x03, 0x00, 0x15, 0x00, 0x04, 0x01, 0xEE, 0x02}, LinkCode::Ok, nullptr},
        {{0x04, 0x00, 0x15, 0x00, 0x04, 0x01, 0x00, 0x02}, LinkCode::UpdateDeclined,
         "Unmatched FW version, Do you want to update ?"},
        {{0x00, 0x15, 0x00, 0x03, 0x04, 0x01, 0x00, 0x02}, LinkCode::UpdateDeclined,
         "Unmatched FW version, Do you want to update ?"},
        {{0x03, 0x00, 0x15, 0x00, 0x01, 0x04, 0x00, 0x02}, LinkCode::UpdateDeclined,
         "Unmatched sub MCU FW version, Do you want to update ?"},
        {{0x03, 0x00, 0x15, 0x00, 0x04, 0x01, 0x00, 0x01}, LinkCode::UpdateDeclined,
         "FW is not support 8051, Do you want to update ?"},
        {{0x04, 0x00, 0x15, 0x00, 0x04, 0x01, 0x02, 0x00}, LinkCode::UpdateDeclined,
         "FW is not support 8051, Do you want to update ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.reply));
        recorder.features = {c.reply};
        host_.questions.clear();
        EXPECT_EQ(ConnectProgrammer(ctx_, false), c.expected);
        if (c.question == nullptr) {
            EXPECT_TRUE(host_.questions.empty());
        } else {
            EXPECT_THAT(host_.questions, ElementsAre(c.question));
        }
        ASSERT_FALSE(recorder.sets.empty());
        EXPECT_EQ(recorder.sets.back()[3], 0x04); // the version query, nothing after it
        EXPECT_EQ(recorder.sets.back()[4], 0x0A);
        CloseProgrammer(false); // the scripted device goes before the fixture ends
    }
    EXPECT_EQ(recorder.livePorts, 0);
}

// An image that carries the wrong version: the programmer takes it, and the
// same question would come back after every update.
TEST_F(ConnectionTest, AnUpdateThatCuresNothingEndsTheCheck) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("scriba8-old-fw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::uint8_t> image(4096, 0);
    const std::uint8_t header[] = {'S', '8', 'F', 'W', 2, 1, 0x00, 0x00, 0x01, 0x00};
    std::copy(std::begin(header), std::end(header), image.begin());
    std::ofstream(dir / "FWCODE_3009.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    ::setenv("SCRIBA8_RESOURCE_DIR", dir.c_str(), 1);

    device().firmware().aux = 0x0100;
    host_.answer = true;
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::UpdateFailed);
    EXPECT_THAT(host_.questions, ElementsAre(kAuxFirmwareQuestion));
    ASSERT_EQ(host_.errors.size(), 1u);
    EXPECT_NE(host_.errors[0].find((dir / "FWCODE_3009.bin").string()), std::string::npos)
        << host_.errors[0];

    ::unsetenv("SCRIBA8_RESOURCE_DIR");
    std::filesystem::remove_all(dir);
}

TEST_F(ConnectionTest, PowerOnStatusesMapToLinkCodes) {
    const std::pair<std::uint16_t, LinkCode> cases[] = {
        {0, LinkCode::Ok},
        {2, LinkCode::PowerOnFailed},
        {3, LinkCode::NoResponse},
        {4, LinkCode::PowerOnFailed}, // unexpected status
        {5, LinkCode::IdentityRejected},
        {6, LinkCode::ChipLocked},
        {0x0100, LinkCode::PowerOnFailed},
    };
    for (const auto& [status, expected] : cases) {
        device().faults().status[sim::kPowerOnOp] = status;
        EXPECT_EQ(ConnectProgrammer(ctx_, true), expected) << status;
    }
    device().faults().status.clear();
    device().faults().wrongTag.insert(sim::kPowerOnOp);
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::PowerOnFailed);
    device().faults().wrongTag.clear();
    device().faults().noStatusReply.insert(sim::kPowerOnOp);
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::PowerOnFailed);
}

TEST_F(ConnectionTest, PowerDownStatusesMapToLinkCodes) {
    const std::pair<std::uint16_t, LinkCode> cases[] = {
        {0, LinkCode::Ok}, {3, LinkCode::NoResponse}, {1, LinkCode::UnexpectedStatus}};
    for (const auto& [status, expected] : cases) {
        ASSERT_EQ(ConnectProgrammer(ctx_, true), LinkCode::Ok);
        device().faults().status[sim::kPowerDownOp] = status;
        EXPECT_EQ(TargetPowerOff(), expected) << status;
    }
    device().faults().wrongTag.insert(sim::kPowerDownOp);
    EXPECT_EQ(TargetPowerOff(), LinkCode::TagMismatch);
    EXPECT_EQ(device().statusWaits().back(), 1000u);
}

TEST_F(ConnectionTest, OffLineConnectionLeavesTheTargetAlone) {
    EXPECT_EQ(ConnectProgrammer(ctx_, false), LinkCode::Ok);
    EXPECT_THAT(commandsSent(), ElementsAre("04/0A"));
}

} // namespace
} // namespace scriba8::testing
