// SPDX-License-Identifier: MIT
#include "link/udev_rules.h"

#include <filesystem>
#include <system_error>

namespace scriba8 {

extern const char kInstalledUdevRulesFile[] = SCRIBA8_UDEV_RULES_FILE;

std::string UdevRulesAdvice(const std::string& rulesFile) {
    std::error_code error;
    if (std::filesystem::is_regular_file(rulesFile, error)) {
        return "The udev rules " + rulesFile +
               " give the user at the seat access; unplug the programmer and plug it in again "
               "so that they apply (after editing them, run \"sudo udevadm control "
               "--reload-rules\" first). A programmer with other USB ids needs them in that file "
               "and in SCRIBA8_USB_IDS.";
    }
    return "The udev rules that give the user at the seat access are not installed: install the "
           "libscriba8-t3plus-dll1 package, or from a source build copy "
           "packaging/udev/70-scriba8-t3plus.rules into /etc/udev/rules.d (README, \"USB access "
           "(udev rules)\"). Then unplug the programmer and plug it in again.";
}

} // namespace scriba8
