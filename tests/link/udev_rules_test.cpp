// SPDX-License-Identifier: MIT
// The advice for a device node the user may not open: an installed library
// points at its own rules file, a source build at how to install one.
#include "link/udev_rules.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace scriba8::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(UdevRulesAdvice, NamesTheInstalledRulesFileOrHowToInstallOne) {
    const std::filesystem::path rules = std::filesystem::temp_directory_path() /
                                        ("scriba8-udev-" + std::to_string(::getpid()) + ".rules");
    std::ofstream(rules) << "SUBSYSTEM==\"hidraw\", TAG+=\"uaccess\"\n";

    const std::string installed = UdevRulesAdvice(rules.string());
    EXPECT_THAT(installed, HasSubstr(rules.string()));
    EXPECT_THAT(installed, Not(HasSubstr("packaging/udev")));
    std::filesystem::remove(rules);

    const std::string missing = UdevRulesAdvice(rules.string());
    EXPECT_THAT(missing, Not(HasSubstr(rules.string())));
    EXPECT_THAT(missing, HasSubstr("libscriba8-t3plus-dll1 package"));
    EXPECT_THAT(missing, HasSubstr("packaging/udev/70-scriba8-t3plus.rules"));
}

} // namespace
} // namespace scriba8::testing
