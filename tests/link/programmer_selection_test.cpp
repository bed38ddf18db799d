// SPDX-License-Identifier: MIT
// Which programmer SCRIBA8_PROGRAMMER picks when several are plugged in.
#include "link/programmer_selection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace scriba8::testing {
namespace {

using Kind = ProgrammerSelection::Kind;

TEST(ProgrammerSelection, ValuesAndMistakes) {
    EXPECT_EQ(ParseProgrammerSelection(""), (ProgrammerSelection{Kind::firstUsb, ""}));
    EXPECT_EQ(ParseProgrammerSelection("usb"), (ProgrammerSelection{Kind::firstUsb, ""}));
    EXPECT_EQ(ParseProgrammerSelection("virtual"),
              (ProgrammerSelection{Kind::virtualProgrammer, ""}));
    EXPECT_EQ(ParseProgrammerSelection("usb:/dev/hidraw3"),
              (ProgrammerSelection{Kind::usbPath, "/dev/hidraw3"}));
    // Windows device paths, as the programmer listing shows them.
    EXPECT_EQ(
        ParseProgrammerSelection("usb:\\\\?\\hid#vid_1234&pid_5678#7&1a&0&0000#{4d1e}"),
        (ProgrammerSelection{Kind::usbPath, "\\\\?\\hid#vid_1234&pid_5678#7&1a&0&0000#{4d1e}"}));
    EXPECT_EQ(ParseProgrammerSelection("usb:T3P-0042"),
              (ProgrammerSelection{Kind::usbSerial, "T3P-0042"}));
    EXPECT_EQ(ParseProgrammerSelection("virtual:/tmp/p1.state"),
              (ProgrammerSelection{Kind::virtualProgrammer, "/tmp/p1.state"}));
    // A typo must never fall back to whatever programmer is found first.
    for (const char* bad : {"usb:", "USB", "virtaul", "hid", " usb", "virtual:"})
        EXPECT_EQ(ParseProgrammerSelection(bad), std::nullopt) << bad;
    EXPECT_NE(UnknownSelectionText("virtaul").find("virtaul"), std::string::npos);
}

// One process drives several programmers, one per thread; the others keep
// following SCRIBA8_PROGRAMMER.
TEST(ProgrammerSelection, AThreadsOwnSelectionOverridesTheEnvironmentForItAlone) {
    ::setenv("SCRIBA8_PROGRAMMER", "usb:T3P-0001", 1);
    EXPECT_FALSE(SelectProgrammerForThread("virtaul"));
    EXPECT_EQ(ProgrammerEnvironment(), "usb:T3P-0001");
    ASSERT_TRUE(SelectProgrammerForThread("virtual:/tmp/a.state"));
    EXPECT_EQ(ProgrammerEnvironment(), "virtual:/tmp/a.state");
    std::string other;
    std::thread([&] { other = ProgrammerEnvironment(); }).join();
    EXPECT_EQ(other, "usb:T3P-0001");
    ASSERT_TRUE(SelectProgrammerForThread(std::nullopt));
    EXPECT_EQ(ProgrammerEnvironment(), "usb:T3P-0001");
    ::unsetenv("SCRIBA8_PROGRAMMER");
}

TEST(ProgrammerSelection, ChoosesByPathOrSerialAndFollowsIntoTheBootLoader) {
    const std::vector<HidDeviceEntry> bus{
        {"/dev/hidraw1", "A1"}, {"/dev/hidraw2", "B2"}, {"/dev/hidraw5", "C3"}};
    EXPECT_EQ(ChooseDevice(bus, {Kind::firstUsb, ""}, false), 0u);
    EXPECT_EQ(ChooseDevice(bus, {Kind::usbPath, "/dev/hidraw5"}, false), 2u);
    EXPECT_EQ(ChooseDevice(bus, {Kind::usbSerial, "B2"}, false), 1u);
    EXPECT_EQ(ChooseDevice(bus, {Kind::usbSerial, "Z9"}, false), std::nullopt);
    EXPECT_EQ(ChooseDevice(bus, {Kind::usbPath, "/dev/hidraw9"}, false), std::nullopt);
    EXPECT_EQ(ChooseDevice({}, {Kind::firstUsb, ""}, false), std::nullopt);

    // The boot loader comes up under a new node: a serial number still finds
    // it; a path takes the only boot loader there is, never one of several.
    const std::vector<HidDeviceEntry> boot{{"/dev/hidraw7", "B2"}};
    EXPECT_EQ(ChooseDevice(boot, {Kind::usbSerial, "B2"}, true), 0u);
    EXPECT_EQ(ChooseDevice(boot, {Kind::usbPath, "/dev/hidraw2"}, true), 0u);
    EXPECT_EQ(ChooseDevice(bus, {Kind::usbPath, "/dev/hidraw2"}, true), std::nullopt);
}

} // namespace
} // namespace scriba8::testing
