// SPDX-License-Identifier: MIT
// User ISP files in HEX form, read and placed on a chip: whatever the
// addresses say, the image stays within the chip's Flash.
#include "chips/chip_table.h"
#include "project/isp_hex.h"
#include "project/isp_insert.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto table = scriba8::chipTable();
    if (table.empty()) return 0;
    const scriba8::ChipRecord& chip = table[0];

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const scriba8::IspHexImage image = scriba8::readIspHex(text, chip.flashSize);
    if (image.tooLarge) return 0;
    if (image.bytes.size() > chip.flashSize) std::abort();

    static ContextRecord ctx;
    std::memset(&ctx, 0, sizeof ctx);
    std::vector<std::uint8_t> flash(chip.flashSize, 0xEE);
    ctx.partIndex = 0;
    ctx.flashData = flash.data();
    ctx.flashLength = static_cast<std::uint32_t>(size % (chip.flashSize + 1));
    if (scriba8::placeIspImage(ctx, chip, image.bytes) == S8_PASS &&
        ctx.flashLength > chip.flashSize)
        std::abort();
    return 0;
}
