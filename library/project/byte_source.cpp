// SPDX-License-Identifier: MIT
#include "project/byte_source.h"

#include <algorithm>

namespace scriba8 {

bool MemorySource::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

} // namespace scriba8
