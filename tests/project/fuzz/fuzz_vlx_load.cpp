// SPDX-License-Identifier: MIT
// Project loading on arbitrary bytes: the footer is checked first, and a file
// it accepts must also give up its images.
#include "project/byte_source.h"
#include "project/vlx_load.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const S8HostCallbacks keepReading{nullptr, [](void*, const char*) { return 1; }, nullptr,
                                             nullptr};
    static ContextRecord ctx;
    std::memset(&ctx, 0, sizeof ctx);
    std::uint16_t status = 0;
    ctx.partIndex = -1;
    ctx.status = &status;
    ctx.host = &keepReading;

    scriba8::MemorySource file({data, size});
    if (scriba8::loadProjectFooter(ctx, file) != S8_PASS) return 0;

    // The stored lengths fill the code region, so they are bounded by the input.
    if (std::uint64_t{ctx.flashLength} + ctx.eepromLength > size) std::abort();
    std::vector<std::uint8_t> flash(ctx.flashLength), eeprom(ctx.eepromLength);
    ctx.flashData = flash.data();
    ctx.eepromData = eeprom.data();
    if (scriba8::loadProjectImages(ctx, file) != S8_PASS) std::abort();
    if (ctx.codeFileName[sizeof ctx.codeFileName - 1] != 0 ||
        ctx.ispCodeFile[sizeof ctx.ispCodeFile - 1] != 0) {
        std::abort();
    }
    return 0;
}
