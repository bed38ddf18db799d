// SPDX-License-Identifier: MIT
// libFuzzer target: any text must parse without reading outside it, the
// size limit must hold, and a refused file yields no image.
#include "intel_hex.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
constexpr std::uint64_t kLimit = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const scriba8::app::HexParseResult result = scriba8::app::ParseIntelHex(text, kLimit);
    if (result.fault != scriba8::app::HexFault::none && !result.image.empty()) std::abort();
    if (result.fits) {
        if (result.span > kLimit || result.image.size() != result.span) std::abort();
    } else {
        if (result.span <= kLimit || !result.image.empty()) std::abort();
    }
    return 0;
}
