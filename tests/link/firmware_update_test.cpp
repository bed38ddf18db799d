// SPDX-License-Identifier: MIT
// Both firmware updates against the virtual programmer, byte for byte
// through the trace, and their failures.
#include "link_fixture.h"

#include "link/command.h"
#include "link/connection.h"
#include "link/firmware_update.h"
#include "link/usb_ids.h"
#include "resources/resources.h"

#include <gmock/gmock.h>

namespace scriba8::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::uint8_t> image(int id) { return *loadResource("FWCODE", id); }

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string out;
    char byte[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%s%02X", out.empty() ? "" : " ", b);
        out += byte;
    }
    return out;
}

// The payload bytes of a trace line ("SET 0001 55 ...").
std::vector<std::string> payload(const std::string& line) {
    auto words = splitWords(line);
    return {words.begin() + 2, words.end()};
}

class FirmwareUpdateTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
    }
};

TEST_F(FirmwareUpdateTest, ShippedImagesHaveTheirSizes) {
    EXPECT_EQ(image(kMainFirmwareImageId).size(), 22396u);
    EXPECT_EQ(image(kAuxFirmwareImageId).size(), 4096u);
}

TEST_F(FirmwareUpdateTest, MainUpdateGoesThroughTheBootLoaderFrameByFrame) {
    device().firmware().main = 0x00140000;
    const auto fw = image(kMainFirmwareImageId);
    const std::uint16_t sum = Checksum16(fw);

    ASSERT_EQ(UpdateMainFirmware(&host_.callbacks), LinkCode::Ok);

    const auto normal = traceLinesStartingWith("SET 0001");
    ASSERT_EQ(normal.size(), 1u);
    const auto enter = payload(normal[0]);
    ASSERT_EQ(enter.size(), 128u); // a 64-byte frame in a full report
    EXPECT_THAT(std::vector(enter.begin() + 2, enter.begin() + 6), ElementsAre("01", "09", "00", "86"));
    EXPECT_EQ(std::count(enter.begin() + 6, enter.end(), "00"), 122);

    const auto boot = traceLinesStartingWith("SET 0002");
    const std::size_t dataFrames = (fw.size() + 63) / 64;
    ASSERT_EQ(boot.size(), 1 + dataFrames + 2);
    char header[64];
    std::snprintf(header, sizeof header, "33 00 00 00 00 57 7C %02X %02X", sum >> 8, sum & 0xFF);
    EXPECT_EQ(payload(boot[0]).size(), 64u);
    EXPECT_EQ(boot[0].substr(9, 26), header);
    EXPECT_EQ(boot[1].substr(9), hexBytes(std::span(fw).first(64)));
    const std::size_t tail = fw.size() % 64;
    const auto last = payload(boot[dataFrames]);
    EXPECT_EQ(std::count(last.begin() + static_cast<std::ptrdiff_t>(tail), last.end(), "00"),
              static_cast<std::ptrdiff_t>(64 - tail));
    EXPECT_EQ(payload(boot[dataFrames + 1])[0], "22");
    EXPECT_EQ(payload(boot[dataFrames + 2])[0], "44");
    EXPECT_THAT(traceLinesStartingWith("GET 0002"), ElementsAre(::testing::StartsWith("GET 0002 ")));

    EXPECT_THAT(sleeps(), ElementsAre(2000, 1320, 1000));
    EXPECT_EQ(device().firmware().main, 0x00150003u);
    EXPECT_TRUE(host_.errors.empty());
}

TEST_F(FirmwareUpdateTest, AuxUpdatePollsAfterEveryFrameButTheLast) {
    device().firmware().aux = 0x0101;
    const auto fw = image(kAuxFirmwareImageId);
    const std::uint16_t sum = Checksum16(fw);

    ASSERT_EQ(UpdateAuxFirmware(), LinkCode::Ok);

    std::vector<std::string> kinds; // what went out, in order
    std::vector<std::size_t> pieceSizes;
    for (const std::string& line : traceLinesStartingWith("SET 0001")) {
        const auto bytes = payload(line);
        ASSERT_EQ(bytes.size(), 128u);
        kinds.push_back(bytes[2] + "/" + bytes[3]);
        if (bytes[2] == "03" && bytes[16] != "5A") pieceSizes.push_back(std::stoul(bytes[8], nullptr, 16));
    }
    // Enter, poll; header and 37 pieces, each polled; finish, not polled.
    std::vector<std::string> sequence{"01/09", "04/0B"};
    for (int frame = 0; frame < 1 + 37; ++frame) sequence.insert(sequence.end(), {"03/06", "04/0B"});
    sequence.push_back("03/06");
    EXPECT_EQ(kinds, sequence);
    ASSERT_EQ(pieceSizes.size(), 37u);
    EXPECT_EQ(pieceSizes.front(), 112u);
    EXPECT_EQ(pieceSizes.back(), 64u);

    const auto frames = traceLinesStartingWith("SET 0001 55");
    const auto header = payload(frames[2]);
    char expected[80];
    std::snprintf(expected, sizeof expected, "5A A5 80 00 00 00 00 00 00 10 00 %02X %02X", sum >> 8,
                  sum & 0xFF);
    std::string got;
    for (std::size_t i = 16; i < 29; ++i) got += (i > 16 ? " " : "") + header[i];
    EXPECT_EQ(got, expected);
    EXPECT_EQ(header[8], "0F");
    const auto finish = payload(frames.back());
    EXPECT_THAT(std::vector(finish.begin() + 8, finish.begin() + 19),
                ElementsAre("03", "00", "00", "00", "01", "00", "00", "00", "5A", "A5", "88"));

    const auto polls = traceLinesStartingWith("GET 0001");
    ASSERT_EQ(polls.size(), 39u);
    EXPECT_EQ(polls.front(), "GET 0001 A5 5A 00");
    EXPECT_THAT(std::vector(polls.begin() + 1, polls.end()), ::testing::Each("GET 0001 A5 5A 41"));
    EXPECT_EQ(device().firmware().aux, 0x0104u);
}

TEST_F(FirmwareUpdateTest, SwappedChecksumReplyIsASeriousError) {
    device().faults().checksumSwapped = true;
    EXPECT_EQ(UpdateMainFirmware(&host_.callbacks), LinkCode::FirmwareChecksumMismatch);
    EXPECT_THAT(host_.errors, ElementsAre("Update FW has a serious error,\n Please remove HW immediately !"));
    EXPECT_EQ(payload(traceLinesStartingWith("SET 0002").back())[0], "22"); // never started
    EXPECT_EQ(device().personality(), sim::Personality::BootLoader);
}

TEST_F(FirmwareUpdateTest, FailuresInsideTheBootLoaderShowTheErrorMessage) {
    struct Case {
        sim::ReportFault set, get;
        LinkCode expected;
    };
    const Case cases[] = {
        {{1, true}, {}, LinkCode::SendFailed},  // header
        {{2, true}, {}, LinkCode::SendFailed},  // first data frame
        {{}, {1, true}, LinkCode::ReceiveFailed}, // checksum reply
    };
    for (const Case& c : cases) {
        device().reset();
        device().environmentApplied = true;
        host_.errors.clear();
        ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
        device().faults().refuseSetFeature = c.set;
        device().faults().refuseGetFeature = c.get;
        EXPECT_EQ(UpdateMainFirmware(&host_.callbacks), c.expected);
        EXPECT_EQ(host_.errors.size(), 1u);
    }
}

TEST_F(FirmwareUpdateTest, MissingBootLoaderFailsQuietly) {
    device().faults().noBootLoader = true;
    EXPECT_EQ(UpdateMainFirmware(&host_.callbacks), LinkCode::NotFound);
    EXPECT_TRUE(host_.errors.empty());
}

TEST_F(FirmwareUpdateTest, UnusableImageIsFoundBeforeTheProgrammerLeavesItsFirmware) {
    const auto dir = std::filesystem::temp_directory_path() / ("scriba8-fw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "FWCODE_3000.bin").close(); // empty
    std::ofstream(dir / "FWCODE_3009.bin").close();
    ::setenv("SCRIBA8_RESOURCE_DIR", dir.c_str(), 1);

    EXPECT_EQ(UpdateMainFirmware(&host_.callbacks), LinkCode::ImageMissing);
    EXPECT_EQ(UpdateAuxFirmware(), LinkCode::ImageMissing);

    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(device().personality(), sim::Personality::Normal);
    EXPECT_TRUE(host_.errors.empty());
    ::unsetenv("SCRIBA8_RESOURCE_DIR");
    std::filesystem::remove_all(dir);
}

TEST_F(FirmwareUpdateTest, AuxFailures) {
    struct Case {
        int rejectPoll, refuseSet, refuseGet;
        LinkCode expected;
    };
    const Case cases[] = {
        {1, 0, 0, LinkCode::UpdateFailed},  // not ready after "enter update"
        {3, 0, 0, LinkCode::UpdateFailed},  // first piece not accepted
        {0, 1, 0, LinkCode::SendFailed},    // enter update
        {0, 4, 0, LinkCode::SendFailed},    // second poll
        {0, 0, 2, LinkCode::ReceiveFailed}, // reply to the header poll
    };
    for (const Case& c : cases) {
        device().reset();
        device().environmentApplied = true;
        ASSERT_TRUE(OpenProgrammer(ProgrammerProductId()));
        device().faults().auxRejectAtPoll = c.rejectPoll;
        device().faults().refuseSetFeature.at = c.refuseSet;
        device().faults().refuseGetFeature.at = c.refuseGet;
        EXPECT_EQ(UpdateAuxFirmware(), c.expected) << c.rejectPoll << c.refuseSet << c.refuseGet;
    }
}

} // namespace
} // namespace scriba8::testing
