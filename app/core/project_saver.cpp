#include "project_saver.h"

#include "checksums.h"
#include "texts.h"

#include <algorithm>
#include <vector>

namespace scriba8::app {
namespace {

// At least one byte, so the library never gets a null buffer.
std::vector<std::uint8_t> copyForCall(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> copy(std::max<std::size_t>(bytes.size(), 1));
    std::copy(bytes.begin(), bytes.end(), copy.begin());
    return copy;
}

} // namespace

std::int32_t SaveProject(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers,
                         OperationLog& log) {
    const std::uint32_t start = log.startCommand(texts::kSaveVlx);
    const ChipSizes chip = ChipSizesOf(api, record.partIndex).value_or(ChipSizes{});

    std::vector<std::uint8_t> eeprom;
    if (chip.eepromSize != 0) {
        eeprom = copyForCall(buffers.eeprom);
        record.eepromData = eeprom.data();
        record.eepromLength = static_cast<std::uint32_t>(buffers.eeprom.size());
        record.eepromChecksum = Checksum16(buffers.eeprom);
    } else {
        if (buffers.record(BufferTab::flash).kind == BufferKind::empty) {
            log.outcome(texts::kBufferEmpty);
            log.finishCommand(start);
            return S8_FAIL;
        }
        // A project of a chip with the EEPROM layout stores eepromLength
        // bytes from eepromData: a length left from an earlier command must
        // not send the library reading through a stale pointer.
        record.eepromData = nullptr;
        record.eepromLength = 0;
        record.eepromChecksum = 0;
    }
    record.eepromStart = 0;

    std::vector<std::uint8_t> flash = copyForCall(buffers.flash);
    record.flashData = flash.data();
    record.flashLength = static_cast<std::uint32_t>(buffers.flash.size());
    record.flashStart = 0;
    record.flashChecksum = Checksum16(buffers.flash);
    record.flashFullChecksum = ChipChecksum(buffers.flash, chip.flashSize);

    record.autoProcess = static_cast<std::uint16_t>(record.autoProcess | S8_STEP_RUNNING);
    // Only the low 16 bits of a result carry meaning.
    const std::int32_t result = api.SaveVLX != nullptr
                                    ? static_cast<std::uint16_t>(api.SaveVLX(&record))
                                    : std::int32_t{S8_FAIL};
    record.autoProcess = static_cast<std::uint16_t>(record.autoProcess & ~S8_STEP_RUNNING);

    record.flashData = nullptr;
    record.eepromData = nullptr;
    log.result(result);
    log.finishCommand(start);
    return result;
}

} // namespace scriba8::app
