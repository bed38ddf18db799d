// SPDX-License-Identifier: MIT
#include "lent_buffers.h"

#include "checksums.h"

#include <algorithm>

namespace scriba8::app {

std::vector<std::uint8_t> CopyForCall(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> copy(std::max<std::size_t>(bytes.size(), 1));
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    return copy;
}

LentProjectImage::LentProjectImage(const LibraryApi& api, ContextRecord& record,
                                   const CodeBuffers& buffers)
    : record_(record) {
    const ChipSizes chip = ChipSizesOf(api, record.partIndex).value_or(ChipSizes{});
    if (chip.eepromSize != 0) {
        eeprom_ = CopyForCall(buffers.eeprom);
        record.eepromData = eeprom_.data();
        record.eepromLength = static_cast<std::uint32_t>(buffers.eeprom.size());
        record.eepromChecksum = Checksum16(buffers.eeprom);
    } else {
        empty_ = buffers.record(BufferTab::flash).kind == BufferKind::empty;
        record.eepromData = nullptr;
        record.eepromLength = 0;
        record.eepromChecksum = 0;
    }
    record.eepromStart = 0;

    flash_ = CopyForCall(buffers.flash);
    record.flashData = flash_.data();
    record.flashLength = static_cast<std::uint32_t>(buffers.flash.size());
    record.flashStart = 0;
    record.flashChecksum = Checksum16(buffers.flash);
    record.flashFullChecksum = ChipChecksum(buffers.flash, chip.flashSize);
}

LentProjectImage::~LentProjectImage() {
    record_.flashData = nullptr;
    record_.eepromData = nullptr;
}

std::int32_t RunProjectImageCommand(const LibraryApi& api, ContextRecord& record,
                                    const CodeBuffers& buffers, OperationLog& log,
                                    const TextPair& command,
                                    const std::function<std::int32_t()>& call) {
    const std::uint32_t start = log.startCommand(command);
    std::int32_t result = S8_FAIL;
    {
        const LentProjectImage image(api, record, buffers);
        if (image.empty()) {
            log.outcome(texts::kBufferEmpty);
            log.finishCommand(start);
            return S8_FAIL;
        }
        record.autoProcess = static_cast<std::uint16_t>(record.autoProcess | S8_STEP_RUNNING);
        result = call();
        record.autoProcess = static_cast<std::uint16_t>(record.autoProcess & ~S8_STEP_RUNNING);
    }
    log.result(result);
    log.finishCommand(start);
    return result;
}

} // namespace scriba8::app
