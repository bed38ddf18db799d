// SPDX-License-Identifier: MIT
#include "project/offline_settings.h"

#include "chips/options.h"
#include "link/command.h"

#include <algorithm>

namespace scriba8 {
namespace {

// Fields both layouts have at the same place.
constexpr std::size_t kChecksumAt = 0;
constexpr std::size_t kLengthAt = 2;
constexpr std::size_t kLayoutAt = 4;
constexpr std::size_t kPartCodeAt = 5;
constexpr std::size_t kChipIdAt = 7;
constexpr std::size_t kMarkerAt = 9;
constexpr std::size_t kFlashStartAt = 10;
constexpr std::size_t kFlashLengthAt = 14;
constexpr std::size_t kFlashChecksumAt = 18;
constexpr std::size_t kEepromStartAt = 20; // layout 2 only
constexpr std::size_t kEepromLengthAt = 24;
constexpr std::size_t kEepromChecksumAt = 28;
constexpr std::uint8_t kMarker = 0x05;

// Where a layout keeps the fields behind the Flash description.
struct Layout {
    std::uint8_t number;
    bool eepromFields;
    std::size_t autoSteps;
    std::size_t serialFlags;
    std::size_t serialAddress;
    std::size_t serialString;
    std::size_t serialNumber;
    std::size_t currentSerialNumber;
    std::size_t maxCounter;
    std::size_t currentCounter;
    std::size_t trimWord;
    std::size_t targetParams; // four bytes, then the algorithm
    std::size_t optionCount;

    std::size_t optionBytesAt() const { return optionCount + 1; }
};

constexpr Layout kLayout1{1, false, 20, 21, 22, 26, 38, 42, 46, 48, 50, 52, 57};
constexpr Layout kLayout2{2, true, 30, 31, 32, 36, 48, 52, 56, 58, 60, 62, 67};

const Layout* layoutNumbered(std::uint8_t number) {
    if (number == kLayout1.number) return &kLayout1;
    if (number == kLayout2.number) return &kLayout2;
    return nullptr;
}

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

// The block checksum as the programmer keeps it: the bytes from 2 to the
// block's end, less the counters it rewrites after the download.
std::uint16_t settingsChecksum(std::span<const std::uint8_t> block, std::size_t length,
                               const Layout* layout) {
    std::uint16_t sum = length > kLengthAt ? Checksum16(block.subspan(kLengthAt, length - kLengthAt)) : 0;
    if (layout != nullptr) {
        sum = static_cast<std::uint16_t>(sum - Checksum16(block.subspan(layout->currentSerialNumber, 4)) -
                                         Checksum16(block.subspan(layout->currentCounter, 2)));
    }
    return sum;
}

std::int32_t rowWithPartCode(std::uint16_t partCode) {
    const auto table = chipTable();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [&](const ChipRecord& chip) { return chip.partCode == partCode; });
    return row == table.end() ? -1 : static_cast<std::int32_t>(row - table.begin());
}

void decodeFields(std::span<const std::uint8_t> b, const Layout& layout, ContextRecord& ctx) {
    ctx.partIndex = rowWithPartCode(le16(b, kPartCodeAt));
    ctx.flashStart = le32(b, kFlashStartAt);
    ctx.flashLength = le32(b, kFlashLengthAt);
    ctx.flashChecksum = le16(b, kFlashChecksumAt);
    if (layout.eepromFields) {
        ctx.eepromStart = le32(b, kEepromStartAt);
        ctx.eepromLength = le32(b, kEepromLengthAt);
        ctx.eepromChecksum = le16(b, kEepromChecksumAt);
    }
    ctx.autoProcess = b[layout.autoSteps];
    ctx.serialFlags = b[layout.serialFlags];
    ctx.serialAddress = le32(b, layout.serialAddress);
    std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(layout.serialString), S8_SERIAL_STRING_SIZE,
                ctx.serialString);
    ctx.serialNumber = le32(b, layout.serialNumber);
    ctx.currentSerialNumber = le32(b, layout.currentSerialNumber);
    ctx.maxCounter = le16(b, layout.maxCounter);
    ctx.currentCounter = le16(b, layout.currentCounter);
    ctx.trimWord = le16(b, layout.trimWord);

    // Option bytes mean something only against the chip they were made for.
    const ChipRecord* chip = chipAt(ctx.partIndex);
    if (chip == nullptr) return;
    const std::size_t stored = b[layout.optionCount];
    // A block from a programmer that knew fewer option bytes for this chip:
    // the missing ones read as erased.
    OptionBlock options(std::max<std::size_t>(stored, chip->optionByteCount), 0xFF);
    std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(layout.optionBytesAt()), stored, options.begin());
    DecodeOptions(ctx, options.data());
}

} // namespace

std::vector<std::uint8_t> buildOffLineSettings(const ContextRecord& ctx, const ChipRecord& chip,
                                               std::span<const std::uint8_t> optionBytes) {
    const Layout& layout = kLayout2;
    const std::size_t optionCount = std::min<std::size_t>(optionBytes.size(), 0xFF);
    std::vector<std::uint8_t> block(layout.optionBytesAt() + optionCount, 0x00);
    PutU16(block, kLengthAt, static_cast<std::uint16_t>(block.size()));
    block[kLayoutAt] = layout.number;
    PutU16(block, kPartCodeAt, chip.partCode);
    block[kChipIdAt] = chip.chipId[0];
    block[kChipIdAt + 1] = chip.chipId[1];
    block[kMarkerAt] = kMarker;
    PutU32(block, kFlashStartAt, ctx.flashStart);
    PutU32(block, kFlashLengthAt, ctx.flashLength);
    PutU16(block, kFlashChecksumAt, ctx.flashChecksum);
    PutU32(block, kEepromStartAt, ctx.eepromStart);
    PutU32(block, kEepromLengthAt, ctx.eepromLength);
    PutU16(block, kEepromChecksumAt, ctx.eepromChecksum);
    block[layout.autoSteps] = static_cast<std::uint8_t>(ctx.autoProcess);
    block[layout.serialFlags] = ctx.serialFlags;
    PutU32(block, layout.serialAddress, ctx.serialAddress);
    std::copy_n(ctx.serialString, S8_SERIAL_STRING_SIZE,
                block.begin() + static_cast<std::ptrdiff_t>(layout.serialString));
    PutU32(block, layout.serialNumber, ctx.serialNumber);
    PutU16(block, layout.maxCounter, ctx.maxCounter);
    PutU16(block, layout.trimWord, ctx.trimWord);
    std::copy_n(chip.targetParams, 4, block.begin() + static_cast<std::ptrdiff_t>(layout.targetParams));
    block[layout.targetParams + 4] = static_cast<std::uint8_t>(chip.algorithm);
    block[layout.optionCount] = static_cast<std::uint8_t>(optionCount);
    std::copy_n(optionBytes.begin(), optionCount,
                block.begin() + static_cast<std::ptrdiff_t>(layout.optionBytesAt()));
    PutU16(block, kChecksumAt, settingsChecksum(block, block.size(), &layout));
    return block;
}

std::int32_t decodeOffLineSettings(std::span<const std::uint8_t, kOffLineReadLength> block,
                                   ContextRecord& ctx) {
    if (std::all_of(block.begin(), block.begin() + kLayoutAt + 1, [](std::uint8_t b) { return b == 0xFF; })) {
        return S8_NO_OFFLINE_INFO;
    }
    const std::size_t length = le16(block, kLengthAt);
    const Layout* layout = layoutNumbered(block[kLayoutAt]);
    // A length the block cannot hold would make the checksum run past what
    // was read; one too short for the block's own option bytes would make
    // the decoding do so.
    if (length > block.size()) return S8_CHECKSUM_ERROR;
    if (layout != nullptr &&
        (length < layout->optionBytesAt() || length - layout->optionBytesAt() < block[layout->optionCount])) {
        return S8_CHECKSUM_ERROR;
    }
    if (settingsChecksum(block, length, layout) != le16(block, kChecksumAt)) return S8_CHECKSUM_ERROR;
    if (layout == nullptr) return S8_FAIL;
    decodeFields(block, *layout, ctx);
    return S8_PASS;
}

} // namespace scriba8
