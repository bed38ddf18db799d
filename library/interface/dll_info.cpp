// SPDX-License-Identifier: MIT
#include "export_impl.h"
#include "scriba8_version.h"

namespace scriba8 {

void dllInfo(std::uint32_t* version, std::uint32_t* edition) {
    constexpr std::uint32_t packed = (std::uint32_t{SCRIBA8_VERSION_MAJOR & 0xFF} << 24) |
                                     (std::uint32_t{SCRIBA8_VERSION_MINOR & 0xFF} << 16) |
                                     (std::uint32_t{SCRIBA8_VERSION_PATCH & 0xFF} << 8) |
                                     std::uint32_t{SCRIBA8_VERSION_TWEAK & 0xFF};
    if (version != nullptr) *version = packed;
    if (edition != nullptr) *edition = 1;
}

} // namespace scriba8
