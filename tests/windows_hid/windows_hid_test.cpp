// SPDX-License-Identifier: MIT
// The Windows HID transport end to end through the library's exports, with
// the stand-in of the system's HID services in place: enumeration, feature
// reports, overlapped input reads with their time-out, and the programmer
// coming back under another device path after a firmware update.
#include "standin_hid_services.h"

#include "answering_host.h"

#include "export_impl.h"
#include "link/usb_hid.h"
#include "link/usb_ids.h"
#include "sim/manual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace scriba8 {
namespace {

using Host = test::AnsweringHost;

std::int32_t partIndex(const char* name) {
    const BodyInfo* chips = nullptr;
    const std::int32_t count = bodyInfo(&chips);
    for (std::int32_t i = 0; i < count; ++i)
        if (std::strcmp(chips[i].partName, name) == 0) return i;
    return -1;
}

class WindowsHid : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"SCRIBA8_PROGRAMMER", "SCRIBA8_USB_IDS", "SCRIBA8_TRACE"})
            unsetenv(name);
        record_ = std::make_unique<ContextRecord>();
        record_->partIndex = partIndex("VS8G132");
        ASSERT_GE(record_->partIndex, 0);
        record_->status = &status_;
        record_->host = &table_;
    }

    // Every export leaves nothing open and no read that could still write
    // into a buffer the transport has let go of.
    void TearDown() override {
        const standin::HidServicesLedger ledger = services_.ledger();
        EXPECT_EQ(ledger.openHandles, 0);
        EXPECT_EQ(ledger.openSets, 0);
        EXPECT_EQ(ledger.openPreparsed, 0);
        EXPECT_EQ(ledger.pendingReads, 0);
        EXPECT_EQ(ledger.readsLeftBlocking, 0);
    }

    void bus(const char* programmers) { ASSERT_TRUE(services_.install(programmers)); }
    std::int32_t checkId() { return scriba8::checkId(record_.get()); }

    sim::ScopedManualClock clock_; // the device model's waits cost nothing
    standin::StandinHidServices services_;
    Host host_;
    S8HostCallbacks table_ = host_.callbacks();
    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_;
};

TEST_F(WindowsHid, TwoProgrammersAreListedAndTheFirstInEnumerationOrderIsUsed) {
    bus("LOCKED1 faults=locked; FREE2");
    const UsbIds ids = programmerUsbIds();
    const std::vector<HidDeviceEntry> found = EnumerateUsbDevices(ids.vendor, ids.product);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, services_.devicePath(0));
    EXPECT_EQ(found[0].serial, "LOCKED1");
    EXPECT_EQ(found[1].serial, "FREE2");
    EXPECT_EQ(found[1].productId, ids.product);
    EXPECT_TRUE(EnumerateUsbDevices(ids.vendor, ids.bootLoader).empty());
    EXPECT_EQ(checkId(), S8_CHIP_LOCKED);

    bus("FREE2; LOCKED1 faults=locked");
    EXPECT_EQ(checkId(), S8_PASS);
    // One left in its boot loader answers under another product id.
    bus("BOOT1 boot; LOCKED2 faults=locked");
    EXPECT_EQ(checkId(), S8_CHIP_LOCKED);
    bus("");
    EXPECT_EQ(checkId(), S8_NO_PROGRAMMER);
    EXPECT_EQ(host_.questions, 0);
}

TEST_F(WindowsHid, SelectionBySerialNumberOrDevicePathPicksThatProgrammer) {
    bus("LOCKED1 faults=locked; FREE2");
    setenv("SCRIBA8_PROGRAMMER", "usb:FREE2", 1);
    EXPECT_EQ(checkId(), S8_PASS);
    setenv("SCRIBA8_PROGRAMMER", ("usb:" + services_.devicePath(0)).c_str(), 1);
    EXPECT_EQ(checkId(), S8_CHIP_LOCKED);
    // A device another program keeps for itself is passed over.
    bus("DENIED1 denied; FREE2");
    unsetenv("SCRIBA8_PROGRAMMER");
    EXPECT_EQ(checkId(), S8_PASS);
}

TEST_F(WindowsHid, DataInFeatureReportsReadsBackUnshifted) {
    bus("P1");
    // Not a multiple of either report size, and no two neighbours equal, so
    // a byte lost or gained at a report boundary shows.
    std::vector<std::uint8_t> image(3000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    record_->flashData = image.data();
    record_->flashLength = static_cast<std::uint32_t>(image.size());
    record_->flashChecksum =
        static_cast<std::uint16_t>(std::accumulate(image.begin(), image.end(), 0u));
    ASSERT_EQ(program(record_.get()), S8_PASS);
    EXPECT_EQ(verify(record_.get()), S8_PASS);

    std::vector<std::uint8_t> dump(32768, 0);
    record_->flashData = dump.data();
    record_->flashLength = static_cast<std::uint32_t>(dump.size());
    ASSERT_EQ(dumpTarget(record_.get()), S8_PASS);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), dump.begin()));
}

TEST_F(WindowsHid, ShortReportsAreNotTakenForGoodReplies) {
    // Input reports that end after the tag: the status bytes never arrived.
    bus("SHORT1 input-bytes=2");
    EXPECT_EQ(checkId(), S8_POWER_ON_FAILED);
    // A firmware reply cut after the main version lacks the 8051 mark.
    bus("SHORT2 feature-bytes=4");
    EXPECT_EQ(checkId(), S8_UPDATE_DECLINED);
    EXPECT_EQ(host_.questions, 1);
}

TEST_F(WindowsHid, AStatusReplyThatNeverComesTimesOutAndItsReadIsCancelled) {
    bus("QUIET1 faults=no-reply=02/01");
    EXPECT_EQ(erase(record_.get()), S8_STATUS_TIMEOUT);
    EXPECT_EQ(status_, S8_STATUS_TIMEOUT);
    EXPECT_GE(services_.ledger().cancelledReads, 1);
}

TEST_F(WindowsHid, FirmwareUpdatesFindTheProgrammerAgainUnderItsNewPath) {
    host_.answer = true;
    // The auxiliary update keeps the programmer on the bus under its id.
    bus("AUX1 faults=fw-aux=0x0103");
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host_.questions, 1);

    // The main update leaves the bus, comes back as the boot loader under
    // another path, and again with the new firmware.
    host_.questions = 0;
    bus("OLD1 faults=fw-main=0x00140001; OLD2 faults=fw-main=0x00140001");
    const std::string before = services_.devicePath(0);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host_.questions, 1);
    EXPECT_EQ(checkId(), S8_PASS);
    EXPECT_EQ(host_.questions, 1);
    EXPECT_EQ(services_.devicePath(0), before);
    EXPECT_EQ(host_.errors, "");
}

} // namespace
} // namespace scriba8
