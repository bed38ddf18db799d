// SPDX-License-Identifier: MIT
// A programmer not found on Linux: the udev rules are what give access.
#include "failure_advice.h"

#include "Scriba8_T3Plus_DLL.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace scriba8::app {
namespace {

TEST(NoProgrammerAdvice, PointsAtTheUdevRules) {
    ::unsetenv("SCRIBA8_PROGRAMMER");
    for (FrontEnd frontEnd : {FrontEnd::commandLine, FrontEnd::window}) {
        const TextPair advice = AdviceFor(S8_NO_PROGRAMMER, "check-id", frontEnd);
        EXPECT_NE(advice.english.find("udev rules"), std::string_view::npos) << advice.english;
        EXPECT_NE(advice.chinese.find("udev规则"), std::string_view::npos);
        EXPECT_EQ(advice.english.find("Device Manager"), std::string_view::npos);
    }
}

} // namespace
} // namespace scriba8::app
