// SPDX-License-Identifier: MIT
// Report framing, progress and time-out semantics of the link, against a
// scripted device; the trace format against the same device.
#include "link_fixture.h"
#include "recording_backend.h"

#include "link/connection.h"
#include "link/usb_ids.h"

#include <gmock/gmock.h>

#include <numeric>

namespace scriba8::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::Each;

class TransportTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        setBackendOverride(&backend_);
        ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
    }

    std::vector<std::uint8_t> statusReport(std::uint8_t tag, std::uint16_t status,
                                           std::size_t length = 65) {
        std::vector<std::uint8_t> report(65, 0);
        report[1] = tag;
        report[3] = static_cast<std::uint8_t>(status);
        report[4] = static_cast<std::uint8_t>(status >> 8);
        report.resize(length);
        return report;
    }

    Recorder recorder_;
    RecordingBackend backend_{recorder_};
};

TEST_F(TransportTest, CommandIsOneFullReportWithZerosAfterIt) {
    CommandBlock command = MakeCommand(kWriteFlashCommand);
    PutU32(command, 8, 0x01020304);
    ASSERT_TRUE(SendCommand(command));

    ASSERT_EQ(recorder_.sets.size(), 1u);
    const auto& report = recorder_.sets[0];
    ASSERT_EQ(report.size(), 129u);
    EXPECT_EQ(report[0], 0);
    EXPECT_TRUE(std::equal(command.begin(), command.end(), report.begin() + 1));
    EXPECT_THAT(std::vector(report.begin() + 17, report.end()), Each(0));
    EXPECT_THAT(std::vector(report.begin() + 9, report.begin() + 13), ElementsAre(4, 3, 2, 1));
}

TEST_F(TransportTest, SendBlockSplitsIntoPaddedChunksWithProgress) {
    std::vector<std::uint8_t> data(300);
    std::iota(data.begin(), data.end(), std::uint8_t{1});
    status_ = 0;
    recorder_.watched = &status_;
    const StatusWord progress(&status_);

    EXPECT_EQ(SendBlock(data, &progress, kCommandChunk), 300u);

    ASSERT_EQ(recorder_.sets.size(), 3u);
    for (const auto& report : recorder_.sets) ASSERT_EQ(report.size(), 129u);
    EXPECT_TRUE(std::equal(data.begin() + 256, data.end(), recorder_.sets[2].begin() + 1));
    EXPECT_THAT(std::vector(recorder_.sets[2].begin() + 45, recorder_.sets[2].end()), Each(0));
    EXPECT_THAT(recorder_.progressSeen, ElementsAre(0, 42, 85));
    EXPECT_EQ(status_, 100);
}

TEST_F(TransportTest, TransfersStopAtTheFirstRefusal) {
    recorder_.refuseSetAt = 2;
    std::vector<std::uint8_t> data(300, 0xAB);
    EXPECT_EQ(SendBlock(data, nullptr, kCommandChunk), 128u);
    EXPECT_EQ(recorder_.sets.size(), 2u);

    recorder_.features.emplace_back(1024, 7);
    recorder_.refuseGetAt = 2;
    std::vector<std::uint8_t> buffer(2048);
    EXPECT_EQ(ReceiveBlock(buffer, nullptr), 1024u);
}

TEST_F(TransportTest, ReceiveBlockTakesWhatItNeedsFromEachReport) {
    for (std::uint8_t fill : {1, 2, 3}) recorder_.features.emplace_back(1024, fill);
    status_ = 0;
    recorder_.watched = &status_;
    const StatusWord progress(&status_);
    std::vector<std::uint8_t> buffer(3000);

    EXPECT_EQ(ReceiveBlock(buffer, &progress), 3000u);

    EXPECT_THAT(recorder_.getSizes, ElementsAre(1025, 1025, 1025));
    EXPECT_EQ(buffer[1023], 1);
    EXPECT_EQ(buffer[1024], 2);
    EXPECT_EQ(buffer[2999], 3);
    EXPECT_THAT(recorder_.progressSeen, ElementsAre(0, 34, 68));
    EXPECT_EQ(status_, 100);
}

TEST_F(TransportTest, EmptyTransfersSendNothingAndLeaveProgressAlone) {
    status_ = 77;
    const StatusWord progress(&status_);
    EXPECT_EQ(SendBlock({}, &progress, kCommandChunk), 0u);
    EXPECT_EQ(ReceiveBlock({}, &progress), 0u);
    EXPECT_TRUE(recorder_.sets.empty());
    EXPECT_TRUE(recorder_.getSizes.empty());
    EXPECT_EQ(status_, 77);
}

TEST_F(TransportTest, ProgressOfHugeBlocksDoesNotOverflow) {
    // 45 MB, refused near the end: sent × 100 no longer fits in 32 bits there.
    ::unsetenv("SCRIBA8_TRACE");
    ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
    recorder_.keepReports = false;
    std::vector<std::uint8_t> data(45'000'000);
    const std::size_t reports = 44'000'000 / 128;
    recorder_.refuseSetAt = static_cast<int>(reports + 1);
    status_ = 0;
    const StatusWord progress(&status_);
    EXPECT_EQ(SendBlock(data, &progress, kCommandChunk), reports * 128);
    EXPECT_EQ(status_, 97);
}

TEST_F(TransportTest, StatusReplyIsMatchedByTag) {
    recorder_.inputs.push_back(statusReport(0x42, 0x0201));
    recorder_.inputs.push_back(statusReport(0x43, 0)); // status 0, but another tag
    recorder_.inputs.push_back(statusReport(0x44, 0, 4)); // too short to carry a status

    const StatusReply good = ReadStatus(0x42, 5000);
    EXPECT_TRUE(good.is(0x0201));
    EXPECT_TRUE(ReadStatus(0x42, 1000).tagMismatch());
    EXPECT_TRUE(ReadStatus(0x44, 1000).timedOut());
    EXPECT_TRUE(ReadStatus(0x45, 300).timedOut()); // nothing at all
    EXPECT_THAT(recorder_.readTimeouts, ElementsAre(5000, 1000, 1000, 300));
}

TEST_F(TransportTest, TraceLinesFollowTheDocumentedFormat) {
    CommandBlock command = MakeCommand(kReadIdentityCommand);
    command[8] = 0x05;
    SendCommand(command);
    recorder_.features.push_back({0x12, 0xF5, 0x00, 0xAA, 0xBB, 0xCC});
    std::array<std::uint8_t, 5> reply{};
    ReceiveBlock(reply, nullptr);
    recorder_.inputs.push_back(statusReport(0x9A, 3, 6));
    ReadStatus(0x9A, 1000);
    ReadStatus(0x9A, 1480);
    recorder_.inputs.push_back(statusReport(0x9A, 0, 6));
    ReadStatus(0x9B, 1000);
    recorder_.refuseSetAt = 2;
    SendCommand(command);

    const auto lines = trace();
    ASSERT_EQ(lines.size(), 8u);
    std::string set = "SET 0001";
    for (std::size_t i = 0; i < 128; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X", i < command.size() ? command[i] : 0);
        set += byte;
    }
    EXPECT_EQ(lines[0], set);
    EXPECT_EQ(lines[1], "GET 0001 12 F5 00 AA BB");
    EXPECT_EQ(lines[2], "IN 0001 00 9A 00 03 00 00");
    EXPECT_EQ(lines[3], "TIMEOUT 0001 1480");
    EXPECT_EQ(lines[4], "IN 0001 00 9A 00 00 00 00");
    EXPECT_EQ(lines[5], "TAG 0001 9B 9A");
    EXPECT_EQ(lines[6], set);
    EXPECT_EQ(lines[7], "REFUSED 0001 SET");
}

TEST_F(TransportTest, OpeningAgainReleasesTheHandleStillOpen) {
    EXPECT_EQ(recorder_.livePorts, 1);
    ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
    EXPECT_EQ(recorder_.openCount, 2);
    EXPECT_EQ(recorder_.livePorts, 1);
}

TEST_F(TransportTest, RefusedPowerDownKeepsTheLinkOpen) {
    // The power-down command goes out but no reply comes.
    EXPECT_EQ(CloseProgrammer(true), LinkCode::PowerDownFailed);
    EXPECT_TRUE(ProgrammerIsOpen());
    ASSERT_EQ(recorder_.sets.size(), 1u);
    EXPECT_EQ(recorder_.sets[0][3], 0x07);
    EXPECT_EQ(recorder_.sets[0][4], 0x02);
    EXPECT_THAT(recorder_.readTimeouts, ElementsAre(1000));
    EXPECT_EQ(CloseProgrammer(false), LinkCode::Ok);
    EXPECT_FALSE(ProgrammerIsOpen());
    EXPECT_EQ(recorder_.livePorts, 0);
}

TEST_F(TransportTest, UsbIdsComeFromTheEnvironmentWhenValid) {
    EXPECT_EQ(recorder_.lastVendor, kDefaultUsbIds.vendor);
    EXPECT_EQ(recorder_.lastProduct, kDefaultUsbIds.product);

    ::setenv("SCRIBA8_USB_IDS", "0x04d8:F00D:f00e", 1);
    ASSERT_TRUE(OpenProgrammer(BootLoaderProductId()));
    EXPECT_EQ(recorder_.lastVendor, 0x04D8);
    EXPECT_EQ(recorder_.lastProduct, 0xF00E);

    for (const char* bad : {"04d8:f00d", "04d8:f00d:f00d", "04d8:f00d:10000", "x:1:2", "1:2:3:"}) {
        EXPECT_FALSE(parseUsbIds(bad).has_value()) << bad;
    }
    ::setenv("SCRIBA8_USB_IDS", "nonsense", 1);
    EXPECT_EQ(ProgrammerProductId(), kDefaultUsbIds.product);
}

TEST_F(TransportTest, PermissionProblemIsExplainedAndReadsAsNoProgrammer) {
    recorder_.permissionDenied = true;
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::NotFound);
    ASSERT_EQ(host_.errors.size(), 1u);
    EXPECT_THAT(host_.errors[0], ::testing::HasSubstr("/dev/hidraw7"));
    EXPECT_THAT(host_.errors[0], ::testing::HasSubstr("udev rules"));

    host_.errors.clear();
    recorder_.permissionDenied = false;
    recorder_.present = false;
    EXPECT_EQ(ConnectProgrammer(ctx_, true), LinkCode::NotFound);
    EXPECT_TRUE(host_.errors.empty());
}

} // namespace
} // namespace scriba8::testing
