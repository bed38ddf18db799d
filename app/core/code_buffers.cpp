// SPDX-License-Identifier: MIT
#include "code_buffers.h"

#include <algorithm>

namespace scriba8::app {

void ResetForChip(CodeBuffers& buffers, std::uint32_t eepromSize) {
    buffers.flash.clear();
    // A chip without EEPROM leaves the hidden EEPROM buffer as it was.
    if (eepromSize != 0) buffers.eeprom.assign(eepromSize, 0xFF);
    buffers.file = {};
    buffers.loadOffset = 0;
}

MergedBuffer MergeLoadedData(std::span<const std::uint8_t> current, BufferKind currentKind,
                             std::span<const std::uint8_t> data, std::uint32_t offset,
                             bool reloading, const std::string& path) {
    const bool keepsOld = (currentKind == BufferKind::singleFile && !reloading) ||
                          currentKind == BufferKind::mixedFiles ||
                          currentKind == BufferKind::ispInserted;
    const std::size_t dataEnd = std::size_t{offset} + data.size();

    MergedBuffer merged;
    merged.bytes.assign(keepsOld ? std::max(current.size(), dataEnd) : dataEnd, 0xFF);
    if (keepsOld) std::copy(current.begin(), current.end(), merged.bytes.begin());
    std::copy(data.begin(), data.end(), merged.bytes.begin() + offset);

    const bool mixed = currentKind == BufferKind::mixedFiles ||
                       currentKind == BufferKind::ispInserted ||
                       (currentKind == BufferKind::singleFile && !reloading);
    merged.kind = mixed ? BufferKind::mixedFiles : BufferKind::singleFile;
    merged.displayName = mixed ? path + " (Mixed file)" : path;
    return merged;
}

std::vector<std::uint8_t> ApplyFillMode(std::vector<std::uint8_t> bytes, FillMode mode,
                                        std::uint32_t flashSize) {
    if (mode == FillMode::none || bytes.size() >= flashSize) return bytes;
    bytes.resize(flashSize, mode == FillMode::zeros ? 0x00 : 0xFF);
    return bytes;
}

} // namespace scriba8::app
