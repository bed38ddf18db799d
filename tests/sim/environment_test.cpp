// SPDX-License-Identifier: MIT
// What SCRIBA8_VIRTUAL_* does to the virtual programmer behind the backend.
#include "bus.h"

#include "link/usb_ids.h"
#include "sim/manual_clock.h"
#include "sim/virtual_backend.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace scriba8::sim {
namespace {

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"SCRIBA8_VIRTUAL_STATE", "SCRIBA8_VIRTUAL_FAULTS",
                                 "SCRIBA8_VIRTUAL_CHIP", "SCRIBA8_VIRTUAL_PACE", "SCRIBA8_USB_IDS"}) {
            ::unsetenv(name);
        }
        statePath_ = std::filesystem::temp_directory_path() /
                     ("scriba8-virtual-state-" + std::to_string(::getpid()));
        std::filesystem::remove(statePath_);
        std::filesystem::remove(statePath_.string() + ".lock");
        device().reset();
    }
    void TearDown() override {
        SetUp();
        device().environmentApplied = true;
    }

    static VirtualProgrammer& device() { return virtualProgrammer(); }
    static std::unique_ptr<HidPort> open() {
        return virtualBackend().open(kDefaultUsbIds.vendor, kDefaultUsbIds.product).port;
    }

    ScopedManualClock clock_;
    std::filesystem::path statePath_;
};

TEST_F(EnvironmentTest, FaultsApplyOncePerProcess) {
    ::setenv("SCRIBA8_VIRTUAL_FAULTS", "fw-main=0x00140000,fw-no8051,locked,power-on-status=2", 1);
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(device().firmware().main, 0x00140000u);
    EXPECT_FALSE(device().firmware().supports8051);
    EXPECT_EQ(device().faults().status.at(kPowerOnOp), 2);

    device().firmware().main = 0x00150003; // as after an update
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(device().firmware().main, 0x00150003u);

    device().reset(); // a new process
    ::setenv("SCRIBA8_VIRTUAL_FAULTS", "absent", 1);
    EXPECT_EQ(open(), nullptr);
}

TEST_F(EnvironmentTest, UnusableValuesAreIgnored) {
    ::setenv("SCRIBA8_VIRTUAL_FAULTS", "absent,bogus", 1);
    ::setenv("SCRIBA8_VIRTUAL_CHIP", "NO-SUCH-PART", 1);
    ::setenv("SCRIBA8_VIRTUAL_PACE", "fast", 1);
    EXPECT_NE(open(), nullptr);
    EXPECT_FALSE(device().socket().has_value());
}

TEST_F(EnvironmentTest, ChipVariablePutsThatPartInTheSocket) {
    ::setenv("SCRIBA8_VIRTUAL_CHIP", chipAt(7)->partName, 1);
    ASSERT_NE(open(), nullptr);
    ASSERT_TRUE(device().socket().has_value());
    EXPECT_EQ(&device().socket()->record(), chipAt(7));
}

TEST_F(EnvironmentTest, StateFileCarriesTheProgrammerToTheNextProcess) {
    ::setenv("SCRIBA8_VIRTUAL_STATE", statePath_.c_str(), 1);
    {
        auto port = open();
        ASSERT_NE(port, nullptr);
        std::vector<std::uint8_t> report(129, 0);
        const Payload on = powerOnCommand(*chipAt(2));
        std::copy(on.begin(), on.end(), report.begin() + 1);
        ASSERT_TRUE(port->setFeature(report));
        device().socket()->flash[9] = 0x42;
        device().firmware().aux = 0x0103;
    } // closing saves
    ASSERT_TRUE(std::filesystem::exists(statePath_));

    device().reset(); // a new process
    auto port = open();
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(device().socket().has_value());
    EXPECT_EQ(&device().socket()->record(), chipAt(2));
    EXPECT_EQ(device().socket()->flash[9], 0x42);
    EXPECT_EQ(device().firmware().aux, 0x0103);
}

TEST_F(EnvironmentTest, ADamagedStateFileIsRefusedNotReplaced) {
    ::setenv("SCRIBA8_VIRTUAL_STATE", statePath_.c_str(), 1);
    for (const std::string damaged : {"garbage", "scriba8-virtual-programmer 1\nfirmware 12\n"}) {
        SCOPED_TRACE(damaged);
        std::ofstream(statePath_, std::ios::binary) << damaged;
        EXPECT_EQ(open(), nullptr);
        std::ifstream in(statePath_, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
    }
}

TEST_F(EnvironmentTest, AStateThatCannotBeSavedFailsTheClose) {
    const std::filesystem::path link = statePath_.string() + "-link";
    std::filesystem::remove(link);
    std::error_code noLinks;
    std::filesystem::create_symlink(statePath_.string() + "-missing/state", link, noLinks);
    if (noLinks) GTEST_SKIP() << "no symbolic links on this system: " << noLinks.message();
    ::setenv("SCRIBA8_VIRTUAL_STATE", link.c_str(), 1);
    auto port = open();
    ASSERT_NE(port, nullptr);
    EXPECT_FALSE(port->close());
    std::filesystem::remove(link);
    std::filesystem::remove(link.string() + ".lock");

    ::setenv("SCRIBA8_VIRTUAL_STATE", statePath_.c_str(), 1);
    port = open();
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->close());
}

} // namespace
} // namespace scriba8::sim
