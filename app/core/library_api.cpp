// SPDX-License-Identifier: MIT
#include "library_api.h"

namespace scriba8::app {

std::optional<ChipSizes> ChipSizesOf(const LibraryApi& api, std::int32_t partIndex) {
    if (api.GetBodyInfo == nullptr || partIndex < 0) return std::nullopt;
    const BodyInfo* rows = nullptr;
    const std::int32_t count = api.GetBodyInfo(&rows);
    if (rows == nullptr || partIndex >= count) return std::nullopt;
    const BodyInfo& chip = rows[partIndex];
    return ChipSizes{chip.flashSize, chip.eepromSize, chip.chipChecksumSupported == 1};
}

} // namespace scriba8::app
