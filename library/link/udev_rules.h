// SPDX-License-Identifier: MIT
// What to tell a user whom the device node refuses: the udev rules are what
// give the user at the seat access to the programmer.
#pragma once

#include <string>

namespace scriba8 {

// Where the library's own installation puts its udev rules. Kept whole in
// the binary, where the package check looks for it.
extern const char kInstalledUdevRulesFile[];

// The advice for a refused device node: names rulesFile when it exists,
// else says how to install the rules.
std::string UdevRulesAdvice(const std::string& rulesFile);

} // namespace scriba8
