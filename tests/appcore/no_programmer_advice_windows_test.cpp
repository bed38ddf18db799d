// SPDX-License-Identifier: MIT
// A programmer not found on Windows: there are no udev rules to check; the
// Device Manager shows whether the HID class driver sees the programmer.
#include "failure_advice.h"

#include "Scriba8_T3Plus_DLL.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace scriba8::app {
namespace {

TEST(NoProgrammerAdvice, PointsAtTheDeviceManager) {
    ::_putenv("SCRIBA8_PROGRAMMER=");
    for (FrontEnd frontEnd : {FrontEnd::commandLine, FrontEnd::window}) {
        const TextPair advice = AdviceFor(S8_NO_PROGRAMMER, "check-id", frontEnd);
        EXPECT_NE(advice.english.find("Device Manager"), std::string_view::npos) << advice.english;
        EXPECT_NE(advice.chinese.find("设备管理器"), std::string_view::npos);
        EXPECT_EQ(advice.english.find("udev"), std::string_view::npos) << advice.english;
        EXPECT_EQ(advice.chinese.find("udev"), std::string_view::npos);
    }
}

} // namespace
} // namespace scriba8::app
