// SPDX-License-Identifier: MIT
// Placing an ISP boot-loader image at the top of the Flash image.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"

#include <cstdint>
#include <span>

namespace scriba8 {

// Places image on chip (the record of ctx.partIndex): picks the smallest "ISP_SIZE"
// choice that holds it, sets "BOOT_MS" and every "HWBS" and writes it at
// flashSize - ISP size, growing flashLength when needed. 102 for a chip
// without an "ISP_SIZE" item or a record without a Flash buffer, 125 when no
// choice holds the image. On failure nothing in ctx or its buffer changes.
std::int32_t placeIspImage(ContextRecord& ctx, const ChipRecord& chip,
                           std::span<const std::uint8_t> image);

} // namespace scriba8
