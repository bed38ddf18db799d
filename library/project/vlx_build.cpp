// SPDX-License-Identifier: MIT
#include "project/vlx_build.h"

#include "chips/chip_table.h"
#include "chips/options.h"
#include "files/local_time.h"
#include "project/codepage.h"
#include "project/record_text.h"
#include "project/vlx_format.h"
#include "scriba8_version.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <random>

namespace scriba8 {
namespace {

constexpr std::uint16_t kToolVersion =
    (SCRIBA8_VERSION_MAJOR & 0xFF) << 8 | (SCRIBA8_VERSION_MINOR & 0xFF);

std::optional<std::string> legacyName(const std::string& utf8) {
    std::string legacy = toLegacyText(utf8);
    if (legacy.size() > vlx::kMaxTextBytes) return std::nullopt; // refused, never cut
    return legacy;
}

} // namespace

std::array<std::uint8_t, 6> saveTimeBytes(const std::tm* local) {
    if (local == nullptr) return {0x30, 0, 0, 0xFF, 0xFF, 0xFF};
    return {static_cast<std::uint8_t>(local->tm_year - 100),
            static_cast<std::uint8_t>(local->tm_mon + 1),
            static_cast<std::uint8_t>(local->tm_mday),
            static_cast<std::uint8_t>(local->tm_hour),
            static_cast<std::uint8_t>(local->tm_min),
            static_cast<std::uint8_t>(local->tm_sec)};
}

SaveStamp makeSaveStamp() {
    std::random_device entropy;
    std::seed_seq seed{
        static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()),
        entropy(), entropy()};
    std::mt19937 random(seed);
    SaveStamp stamp;
    const std::optional<std::tm> local = files::localTime(std::time(nullptr));
    stamp.time = saveTimeBytes(local ? &*local : nullptr);
    stamp.projectTag = static_cast<std::uint16_t>(random() & 0xFFFF);
    for (auto& b : stamp.projectId)
        b = static_cast<std::uint8_t>(random() % 256);
    return stamp;
}

std::int32_t buildProjectFile(ContextRecord& ctx, const SaveStamp& stamp, TrimStep trim,
                              std::vector<std::uint8_t>& file) {
    const ChipRecord* chip = chipAt(ctx.partIndex);
    if (chip == nullptr) return S8_FAIL;
    const auto layout = vlx::layoutFor(chip->familyCode);
    const auto blockSize = vlx::optionBlockSize(chip->familyCode, chip->optionByteCount);
    if (!layout || !blockSize) return S8_FAIL;
    const std::uint32_t eepromBytes = layout->eepromFields ? ctx.eepromLength : 0;
    if ((ctx.flashLength != 0 && ctx.flashData == nullptr) ||
        (eepromBytes != 0 && ctx.eepromData == nullptr)) {
        return S8_FAIL;
    }

    vlx::Footer footer;
    footer.familyCode = chip->familyCode;
    const auto codeName = legacyName(fieldText(ctx.codeFileName));
    const auto ispName = legacyName(fieldText(ctx.ispCodeFile));
    if (!codeName || !ispName) return S8_FILE_ERROR;
    footer.codeFileName = *codeName;
    footer.ispFileName = *ispName;
    footer.flashLength = ctx.flashLength;
    footer.flashChecksum = ctx.flashChecksum;
    footer.eepromLength = eepromBytes;
    footer.eepromChecksum = ctx.eepromChecksum;
    footer.partCode = chip->partCode;

    OptionBlock block(*blockSize, 0xFF);
    EncodeOptions(ctx, block);
    if (layout->extendedBlock) {
        const std::size_t s = block.size();
        std::copy_n(ctx.customerString, S8_CUSTOMER_STRING_SIZE,
                    block.begin() + static_cast<std::ptrdiff_t>(s - vlx::kCustomerStringFromEnd));
        std::copy(stamp.projectId.begin(), stamp.projectId.end(),
                  block.begin() + static_cast<std::ptrdiff_t>(s - vlx::kProjectIdFromEnd));
        block[s - vlx::kBlockMarkerFromEnd] = vlx::kBlockMarker;
    }
    footer.optionBlock = block;
    footer.autoSteps = static_cast<std::uint8_t>(ctx.autoProcess);
    footer.ispCodeSource = ctx.ispCodeSource;

    if (layout->trimSection) {
        if (trim(ctx) != 0) return S8_TRIM_FAILED;
        footer.trimFrequency = static_cast<std::uint8_t>(ctx.trimWord >> 8);
    }
    footer.projectTag = stamp.projectTag;
    footer.saveTime = stamp.time;
    footer.toolVersion = kToolVersion;
    footer.toolMarker = vlx::kToolMarker;

    const auto footerBytes = vlx::encodeFooter(footer);
    if (!footerBytes) return S8_FAIL;

    file.assign(ctx.flashData, ctx.flashData + ctx.flashLength);
    if (eepromBytes != 0) file.insert(file.end(), ctx.eepromData, ctx.eepromData + eepromBytes);
    file.insert(file.end(), footerBytes->begin(), footerBytes->end());

    ctx.projectChecksum = ctx.flashChecksum;
    if (layout->extendedBlock) {
        const auto& id = stamp.projectId;
        ctx.projectId = std::uint32_t{id[0]} << 24 | std::uint32_t{id[1]} << 16 |
                        std::uint32_t{id[2]} << 8 | id[3];
        ctx.projectMark = vlx::kBlockMarker;
    }
    ctx.projectTag = stamp.projectTag;
    std::copy(stamp.time.begin(), stamp.time.end(), ctx.saveTime);
    ctx.toolVersion = kToolVersion;
    return S8_PASS;
}

} // namespace scriba8
