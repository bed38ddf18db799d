// SPDX-License-Identifier: MIT
// The name of this computer, as production records carry it.
#pragma once

#include <string>

namespace scriba8::files {

// UTF-8; "unknown" when the system cannot say.
std::string hostName();

} // namespace scriba8::files
