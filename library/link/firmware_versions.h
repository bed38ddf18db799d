// SPDX-License-Identifier: MIT
// What the programmer's firmware says of itself in its version reply.
#pragma once

#include <cstdint>

namespace scriba8 {

struct FirmwareVersions {
    std::uint32_t main = 0;
    std::uint16_t aux = 0;
    bool supports8051 = false;
};

} // namespace scriba8
