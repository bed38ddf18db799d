#include "offline_commands.h"

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

std::int32_t DownloadOffLine(const LibraryApi& api, ContextRecord& record,
                             const CodeBuffers& buffers, OperationLog& log,
                             const ProgressHooks& hooks) {
    const std::uint32_t start = log.startCommand(texts::kOffLineMode);
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
        // The code image is Flash followed by eepromLength EEPROM bytes: a
        // length left from an earlier command must not be sent.
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

    // Bit 15 is set and cleared on this thread, around the worker's life.
    record.autoProcess = static_cast<std::uint16_t>(record.autoProcess | S8_STEP_RUNNING);
    const RecordCall call = api.OffLineMode;
    ContextRecord* target = &record;
    const std::int32_t result = CallOnWorker(
        [call, target] { return call != nullptr ? call(target) : S8_FAIL; }, record.status, hooks);
    record.autoProcess = static_cast<std::uint16_t>(record.autoProcess & ~S8_STEP_RUNNING);

    record.flashData = nullptr;
    record.eepromData = nullptr;
    log.result(result);
    log.finishCommand(start);
    return result;
}

OffLineInfo ReadOffLineInfo(const LibraryApi& api, const ContextRecord& main, OperationLog& log) {
    const std::uint32_t start = log.startCommand(texts::kReadInfo);
    auto info = std::make_unique<ContextRecord>();
    std::uint16_t status = 0;
    info->partIndex = -1;
    info->status = &status;
    info->host = main.host;

    const RecordCall call = api.ReadOffLineModeInfo;
    ContextRecord* target = info.get();
    OffLineInfo outcome;
    outcome.result =
        CallHere([call, target] { return call != nullptr ? call(target) : S8_FAIL; }, &status);
    info->status = nullptr;
    if (outcome.result == S8_PASS) outcome.info = std::move(info);
    log.result(outcome.result);
    log.finishCommand(start);
    return outcome;
}

} // namespace scriba8::app
