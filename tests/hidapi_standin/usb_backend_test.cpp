// SPDX-License-Identifier: MIT
// The shipped library's USB backend, end to end through its exports, with the
// stand-in hidapi in place of libhidapi-hidraw (ctest puts it first on the
// library path). Each case describes the programmers on the bus.
#include <Scriba8_T3Plus_DLL.h>

#include "answering_host.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

using Host = scriba8::test::AnsweringHost;

int partIndex(const char* name) {
    const BodyInfo* chips = nullptr;
    const int count = GetBodyInfo(&chips);
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(chips[i].partName, name) == 0) return i;
    }
    return -1;
}

class UsbBackend : public ::testing::Test {
protected:
    void SetUp() override {
        // Without the stand-in every case would fail with "no programmer";
        // say so plainly instead.
        Dl_info where{};
        void* symbol = dlsym(RTLD_DEFAULT, "hid_init");
        ASSERT_NE(symbol, nullptr);
        ASSERT_NE(dladdr(symbol, &where), 0);
        std::error_code error;
        ASSERT_TRUE(std::filesystem::equivalent(
            std::filesystem::path(where.dli_fname).parent_path(), STANDIN_DIR, error))
            << "hidapi came from " << where.dli_fname << ", not the stand-in in " << STANDIN_DIR;

        unsetenv("SCRIBA8_PROGRAMMER");
        unsetenv("SCRIBA8_USB_IDS");
        unsetenv("SCRIBA8_TRACE");
        unsetenv("SCRIBA8_HIDAPI_STANDIN_STATE");
        record = std::make_unique<ContextRecord>();
        record->partIndex = partIndex("VS8G132");
        ASSERT_GE(record->partIndex, 0);
        record->status = &status;
        record->host = &table;
    }

    void bus(const char* programmers) { setenv("SCRIBA8_HIDAPI_STANDIN", programmers, 1); }

    std::int32_t checkId() { return CheckID(record.get()); }

    Host host;
    S8HostCallbacks table = host.callbacks();
    std::uint16_t status = 0;
    std::unique_ptr<ContextRecord> record;
};

TEST_F(UsbBackend, OpensTheFirstProgrammerInNormalFirmwareInEnumerationOrder) {
    bus("LOCKED1 faults=locked; FREE2");
    EXPECT_EQ(checkId(), S8_CHIP_LOCKED);
    bus("FREE2; LOCKED1 faults=locked");
    EXPECT_EQ(checkId(), S8_PASS);
    // One left in its boot loader answers under another product id.
    bus("BOOT1 boot; LOCKED2 faults=locked");
    EXPECT_EQ(checkId(), S8_CHIP_LOCKED);
    bus("BOOT1 boot");
    EXPECT_EQ(checkId(), S8_NO_PROGRAMMER);
    bus("");
    EXPECT_EQ(checkId(), S8_NO_PROGRAMMER);
    EXPECT_EQ(host.questions, 0);
}

TEST_F(UsbBackend, DeviceNodeWithoutPermissionIsNamedToTheUser) {
    bus("DENIED1 denied");
    EXPECT_EQ(checkId(), S8_NO_PROGRAMMER);
    EXPECT_NE(host.errors.find("/dev/standin/hidraw0"), std::string::npos) << host.errors;
    EXPECT_NE(host.errors.find("permission denied"), std::string::npos) << host.errors;

    // A second programmer that may be opened is used, and nothing is said.
    host.errors.clear();
    bus("DENIED1 denied; FREE2");
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.errors, "");
}

TEST_F(UsbBackend, DataWrittenInFeatureReportsReadsBackUnshifted) {
    bus("P1");
    // Not a multiple of either report size, and no two neighbours equal, so
    // a byte lost or gained at a report boundary shows.
    std::vector<std::uint8_t> image(3000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    record->flashData = image.data();
    record->flashLength = static_cast<std::uint32_t>(image.size());
    record->flashChecksum = static_cast<std::uint16_t>(std::accumulate(image.begin(), image.end(), 0u));
    ASSERT_EQ(Program(record.get()), S8_PASS);
    EXPECT_EQ(Verify(record.get()), S8_PASS);

    std::vector<std::uint8_t> dump(32768, 0);
    record->flashData = dump.data();
    record->flashLength = static_cast<std::uint32_t>(dump.size());
    ASSERT_EQ(DumpTarget(record.get()), S8_PASS);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dump.begin()));
    EXPECT_TRUE(std::all_of(dump.begin() + 3000, dump.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(UsbBackend, ShortReportsAreNotTakenForGoodReplies) {
    // Status replies cut after the tag: the status bytes never arrived.
    bus("SHORT1 input-bytes=2");
    EXPECT_EQ(checkId(), S8_POWER_ON_FAILED);
    // A firmware reply cut after the main version lacks the 8051 mark.
    bus("SHORT2 feature-bytes=4");
    EXPECT_EQ(checkId(), S8_UPDATE_DECLINED);
    EXPECT_EQ(host.questions, 1);
}

TEST_F(UsbBackend, StatusReplyThatNeverComesTimesOut) {
    bus("QUIET1 faults=no-reply=02/01");
    EXPECT_EQ(Erase(record.get()), S8_STATUS_TIMEOUT);
    EXPECT_EQ(status, S8_STATUS_TIMEOUT);
}

TEST_F(UsbBackend, FirmwareUpdatesFindTheProgrammerAgainAfterItRestarts) {
    host.answer = true;
    // The auxiliary update keeps the programmer on the bus under its id.
    bus("AUX1 faults=fw-aux=0x0103");
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.questions, 1);

    // The main update leaves the bus, comes back as the boot loader, and
    // again with the new firmware.
    host.questions = 0;
    bus("OLD1 faults=fw-main=0x00140001; OLD2 faults=fw-main=0x00140001");
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(host.errors, "");
}

} // namespace

namespace {

TEST_F(UsbBackend, SelectionBySerialNumberOrPathPicksThatProgrammer) {
    bus("LOCKED1 faults=locked; FREE2");
    setenv("SCRIBA8_PROGRAMMER", "usb:FREE2", 1);
    EXPECT_EQ(checkId(), S8_PASS);
    setenv("SCRIBA8_PROGRAMMER", "usb:/dev/standin/hidraw0", 1);
    EXPECT_EQ(checkId(), S8_CHIP_LOCKED);
    setenv("SCRIBA8_PROGRAMMER", "usb:ELSEWHERE", 1);
    EXPECT_EQ(checkId(), S8_NO_PROGRAMMER);
    // A permission problem is told only about the programmer asked for.
    bus("DENIED1 denied; FREE2");
    setenv("SCRIBA8_PROGRAMMER", "usb:FREE2", 1);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.errors, "");
}

TEST_F(UsbBackend, SelectedProgrammerIsFollowedThroughItsFirmwareUpdate) {
    host.answer = true;
    bus("CURRENT1; OLD2 faults=fw-main=0x00140001");
    setenv("SCRIBA8_PROGRAMMER", "usb:OLD2", 1);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host.questions, 1);
}

} // namespace
