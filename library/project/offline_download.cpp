// SPDX-License-Identifier: MIT
// OffLineMode: download the code image and the settings block into the
// programmer for stand-alone production. The target is never powered.
#include "export_impl.h"
#include "chips/options.h"
#include "link/clock.h"
#include "operations/operation_steps.h"
#include "project/offline_settings.h"

#include <vector>

namespace scriba8 {
namespace {

// The programmer prepares its store after the image command before it
// takes any data.
constexpr std::uint32_t kStorePrepareMs = 2000;
constexpr std::uint32_t kSerialBlockSize = 16;

constexpr FrameOptions kOffLineFrame{.powerTarget = false};

// The programmer would take a download it can never program a chip from
// (an image beyond the chip's memories, a serial number outside its Flash),
// and a length without its buffer cannot be read at all.
bool downloadFits(const ContextRecord& ctx, const ChipRecord& chip) {
    const bool serialFits = (ctx.serialFlags & 0x01) == 0 ||
                            (chip.flashSize >= kSerialBlockSize &&
                             ctx.serialAddress <= chip.flashSize - kSerialBlockSize);
    const bool eepromFits = ctx.eepromLength == 0 ||
                            BufferFits(ctx.eepromData, ctx.eepromStart, ctx.eepromLength, chip.eepromSize);
    return BufferFits(ctx.flashData, ctx.flashStart, ctx.flashLength, chip.flashSize) && eepromFits &&
           serialFits;
}

// The Flash bytes directly followed by the EEPROM bytes.
std::vector<std::uint8_t> codeImage(const ContextRecord& ctx) {
    const auto flash = BytesOf(ctx.flashData, ctx.flashLength);
    const auto eeprom = BytesOf(ctx.eepromData, ctx.eepromLength);
    std::vector<std::uint8_t> image(flash.begin(), flash.end());
    image.insert(image.end(), eeprom.begin(), eeprom.end());
    return image;
}

std::int32_t downloadImage(std::uint32_t start, const std::vector<std::uint8_t>& image,
                           const StatusWord& progress) {
    const auto length = static_cast<std::uint32_t>(image.size());
    const CommandBlock command = WriteCommand(kOffLineImageCommand, start, length, Checksum16(image));
    if (!SendCommand(command)) return S8_SEND_ERROR;
    programmerClock().sleepMs(kStorePrepareMs);
    if (SendBlock(image, &progress, kCommandChunk) != image.size()) return S8_SEND_ERROR;
    return WriteResult(ReadStatus(TagOf(command), WriteTimeoutMs(length)));
}

std::int32_t downloadSettings(const std::vector<std::uint8_t>& settings, const StatusWord& progress) {
    const auto length = static_cast<std::uint32_t>(settings.size());
    // The command carries the sum over the whole block, its checksum included.
    const CommandBlock command = WriteCommand(kOffLineSettingsCommand, 0, length, Checksum16(settings));
    if (!SendWithData(command, settings, &progress)) return S8_SEND_ERROR;
    return WriteResult(ReadStatus(TagOf(command), WriteTimeoutMs(length)));
}

} // namespace

std::int32_t offLineMode(ContextRecord* ctx) {
    const auto usable = [ctx](const ChipRecord& chip) { return downloadFits(*ctx, chip); };
    return RunCheckedExport(*ctx, kOffLineFrame, usable, [](DeviceSession& session) -> std::int32_t {
        ContextRecord& r = session.record();
        if (TrimWordFromSelection(r) != 0) return S8_TRIM_FAILED;
        if (const std::int32_t code = downloadImage(r.flashStart, codeImage(r), session.status());
            code != S8_PASS) {
            return code;
        }
        OptionBlock options(session.chip().optionByteCount, 0xFF);
        EncodeOptions(r, options); // may grow to 16 bytes with the chip checksum
        return downloadSettings(buildOffLineSettings(r, session.chip(), options), session.status());
    });
}

} // namespace scriba8
