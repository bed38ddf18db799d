// SPDX-License-Identifier: MIT
#include "project/vlx_load.h"

#include "chips/chip_table.h"
#include "chips/options.h"
#include "export_impl.h"
#include "project/codepage.h"
#include "interface/host_prompts.h"
#include "project/record_text.h"
#include "project/vlx_format.h"
#include "status_word.h"

#include <algorithm>
#include <vector>

namespace scriba8 {
namespace {

constexpr const char* kSiblingToolQuestion =
    "This VLX belongs to T3_Scriba.\nReading may cause information loss.\nDo you want to continue?";

// Sum of the code region, read in pieces so a large file is never held whole.
std::optional<std::uint16_t> codeRegionSum(ByteSource& file, std::uint64_t size) {
    std::vector<std::uint8_t> piece(std::min<std::uint64_t>(size, 64 * 1024));
    std::uint16_t sum = 0;
    for (std::uint64_t offset = 0; offset < size;) {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - offset));
        std::span<std::uint8_t> part(piece.data(), count);
        if (!file.read(offset, part)) return std::nullopt;
        sum = vlx::sum16(part, sum);
        offset += count;
    }
    return sum;
}

std::int32_t findChip(std::uint16_t partCode, std::uint16_t familyCode) {
    const auto table = chipTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (table[row].partCode == partCode && table[row].familyCode == familyCode) {
            return static_cast<std::int32_t>(row);
        }
    }
    return -1;
}

void setLegacyText(char (&field)[S8_PATH_SIZE], const std::string& legacy) {
    // At most 255 legacy bytes: their UTF-8 form always fits the field.
    setFieldText(field, fromLegacyText(legacy));
}

} // namespace

std::int32_t loadProjectFooter(ContextRecord& ctx, ByteSource& file) {
    const std::uint64_t fileSize = file.size();
    std::uint8_t sizeField[2];
    if (fileSize < 2 || !file.read(fileSize - 2, sizeField)) return S8_PROJECT_CHECKSUM_ERROR;
    const std::uint16_t footerSize = vlx::storedFooterSize(sizeField[0], sizeField[1]);
    if (footerSize > fileSize) return S8_PROJECT_CHECKSUM_ERROR;
    std::vector<std::uint8_t> footerBytes(footerSize);
    if (!file.read(fileSize - footerSize, footerBytes)) return S8_FILE_ERROR;

    const std::uint64_t codeSize = fileSize - footerSize;
    vlx::Footer footer;
    switch (vlx::decodeFooter(footerBytes, codeSize, footer)) {
    case vlx::DecodeError::Malformed:
        return S8_PROJECT_CHECKSUM_ERROR;
    case vlx::DecodeError::UnknownTool:
        return S8_PROJECT_TOOL_ERROR;
    case vlx::DecodeError::None:
        break;
    }
    if (footer.toolMarker == vlx::kSiblingToolMarker && !AskYesNo(ctx.host, kSiblingToolQuestion)) {
        return S8_PROJECT_TOOL_ERROR;
    }
    const vlx::Layout layout = *vlx::layoutFor(footer.familyCode);

    ctx.toolVersion = footer.toolVersion;
    ctx.projectFamilyCode = footer.familyCode;
    std::copy(footer.saveTime.begin(), footer.saveTime.end(), ctx.saveTime);
    ctx.projectTag = footer.projectTag;
    setLegacyText(ctx.codeFileName, footer.codeFileName);
    ctx.flashLength = footer.flashLength;
    ctx.flashChecksum = footer.flashChecksum;
    // Without an EEPROM section a stale length would make the image read take
    // footer bytes for EEPROM data.
    ctx.eepromLength = layout.eepromFields ? footer.eepromLength : 0;
    ctx.eepromChecksum = layout.eepromFields ? footer.eepromChecksum : 0;

    const auto expected = static_cast<std::uint16_t>(ctx.flashChecksum + ctx.eepromChecksum);
    const auto actual = codeRegionSum(file, codeSize);
    if (!actual) return S8_FILE_ERROR;
    if (*actual != expected) return S8_PROJECT_BUFFER_ERROR;

    ctx.projectChecksum = footer.flashChecksum;
    ctx.partIndex = -1;
    const std::int32_t row = findChip(footer.partCode, footer.familyCode);
    if (row < 0) return S8_PROJECT_PART_ERROR;
    ctx.partIndex = row;
    const ChipRecord& chip = *chipAt(row);
    // Images the chip cannot hold would only fail later, at programming.
    if (ctx.flashLength > chip.flashSize || ctx.eepromLength > chip.eepromSize)
        return S8_PROJECT_CHECKSUM_ERROR;

    // A block shorter than the chip's option bytes reads as erased (0xFF) beyond its end.
    const auto& block = footer.optionBlock;
    std::vector<std::uint8_t> optionBytes(std::max<std::size_t>(block.size(), chip.optionByteCount),
                                          0xFF);
    std::copy(block.begin(), block.end(), optionBytes.begin());
    DecodeOptions(ctx, optionBytes.data());

    if (layout.extendedBlock) {
        const std::size_t s = block.size();
        if (s < vlx::kExtendedBlockMinimum) return S8_PROJECT_OPTION_ERROR;
        const auto customer =
            block.begin() + static_cast<std::ptrdiff_t>(s - vlx::kCustomerStringFromEnd);
        std::copy_n(customer, S8_CUSTOMER_STRING_SIZE, ctx.customerString);
        const std::size_t id = s - vlx::kProjectIdFromEnd;
        ctx.projectId = std::uint32_t{block[id]} << 24 | std::uint32_t{block[id + 1]} << 16 |
                        std::uint32_t{block[id + 2]} << 8 | block[id + 3];
        if (block[s - vlx::kBlockMarkerFromEnd] != vlx::kBlockMarker)
            return S8_PROJECT_OPTION_ERROR;
        ctx.projectMark = vlx::kBlockMarker;
    }

    ctx.autoProcess = footer.autoSteps;
    ctx.ispCodeSource = footer.ispCodeSource;
    setLegacyText(ctx.ispCodeFile, footer.ispFileName);

    if (layout.trimSection) {
        const std::uint8_t t = footer.trimFrequency;
        ctx.trimWord = static_cast<std::uint16_t>(t << 8 | (t != 0 ? 1 : 0));
        SelectionFromTrimWord(ctx); // a chip without the item keeps its selection
    }
    return S8_PASS;
}

std::int32_t loadProjectImages(ContextRecord& ctx, ByteSource& file) {
    if ((ctx.flashLength != 0 && ctx.flashData == nullptr) ||
        (ctx.eepromLength != 0 && ctx.eepromData == nullptr)) {
        return S8_FAIL;
    }
    if (!file.read(0, {ctx.flashData, ctx.flashLength})) return S8_FILE_ERROR;
    if (ctx.eepromLength != 0 && !file.read(ctx.flashLength, {ctx.eepromData, ctx.eepromLength})) {
        return S8_FILE_ERROR;
    }
    return S8_PASS;
}

std::int32_t loadVlxFooter(ContextRecord* ctx) {
    StatusWord status(ctx->status);
    status.start();
    FileSource file;
    if (!file.open(fieldText(ctx->projectFile))) return status.finish(S8_FILE_ERROR);
    return status.finish(loadProjectFooter(*ctx, file));
}

std::int32_t loadVlxBuffer(ContextRecord* ctx) {
    StatusWord status(ctx->status);
    status.start();
    FileSource file;
    if (!file.open(fieldText(ctx->projectFile))) return status.finish(S8_FILE_ERROR);
    return status.finish(loadProjectImages(*ctx, file));
}

} // namespace scriba8
