// SPDX-License-Identifier: MIT
#include "files/host_name.h"

#include <climits>
#include <unistd.h>

namespace scriba8::files {

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "unknown";
    return name;
}

} // namespace scriba8::files
