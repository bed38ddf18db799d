// SPDX-License-Identifier: MIT
#include "project/isp_insert.h"

#include "chips/chip_table.h"
#include "chips/option_text.h"
#include "export_impl.h"
#include "project/byte_source.h"
#include "project/isp_hex.h"
#include "project/record_text.h"
#include "resources/resources.h"
#include "status_word.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace scriba8 {
namespace {

constexpr std::string_view kIspSizeItem = "ISP_SIZE";
constexpr std::string_view kBootModeItem = "BOOT_MS";
constexpr std::string_view kBootFromIspBit = "HWBS";
// An ISP area sized to the image, in whole kilobytes, instead of a list.
constexpr std::string_view kRoundedIspChoices = "RA32-ISP-IAP";
constexpr std::uint64_t kRoundedIspUnit = 1024;

bool named(const char* name, std::string_view expected) {
    return name != nullptr && expected == name;
}

// Sizes of the "size|code" pairs, in order.
std::vector<std::int64_t> choiceSizes(std::string_view choices) {
    std::vector<std::int64_t> sizes;
    option_text::forEachPiece(choices, [&](std::string_view pair, int) {
        sizes.push_back(option_text::parseDecimal(pair.substr(0, pair.find('|'))));
        return true;
    });
    return sizes;
}

bool endsWithHex(std::string_view name) {
    if (name.size() < 3) return false;
    const std::string_view tail = name.substr(name.size() - 3);
    return std::equal(tail.begin(), tail.end(), "HEX", [](char a, char b) {
        return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
    });
}

struct Image {
    std::int32_t result = S8_PASS;
    std::vector<std::uint8_t> bytes;
};

// A HEX file spends at least two characters on each byte; one far larger
// than that for the whole Flash cannot hold an image that fits.
std::uint64_t largestIspHexFile(const ChipRecord& chip) {
    return std::uint64_t{chip.flashSize} * 16 + (1u << 20);
}

Image userImage(const ContextRecord& ctx, const ChipRecord& chip) {
    const std::string name = fieldText(ctx.ispCodeFile);
    FileSource file;
    if (!file.open(name)) return {S8_FILE_ERROR, {}};
    const bool hex = endsWithHex(name);
    // Too large is known before reading: a binary image larger than the
    // Flash can never fit, nor can a HEX file far beyond its text size.
    if (file.size() > (hex ? largestIspHexFile(chip) : std::uint64_t{chip.flashSize}))
        return {S8_FILE_TOO_LARGE, {}};
    std::vector<std::uint8_t> contents(static_cast<std::size_t>(file.size()));
    if (!file.read(0, contents)) return {S8_FILE_ERROR, {}};
    if (!hex) {
        // Inserting nothing would still make the chip boot from the ISP area.
        if (contents.empty()) return {S8_FILE_ERROR, {}};
        return {S8_PASS, std::move(contents)};
    }

    const std::string_view text(reinterpret_cast<const char*>(contents.data()), contents.size());
    IspHexImage image = readIspHex(text, chip.flashSize);
    if (image.tooLarge) return {S8_FILE_TOO_LARGE, {}};
    if (image.damaged || image.bytes.empty()) return {S8_FILE_ERROR, {}};
    return {S8_PASS, std::move(image.bytes)};
}

Image builtInImage(const ChipRecord& chip) {
    auto bytes = loadResource("ISPCode", chip.ispResourceId);
    if (!bytes) return {S8_FAIL, {}};
    return {S8_PASS, std::move(*bytes)};
}

} // namespace

std::int32_t placeIspImage(ContextRecord& ctx, const ChipRecord& chip,
                           std::span<const std::uint8_t> image) {
    if (ctx.flashData == nullptr) return S8_FAIL;
    const bool hasIspItem =
        std::any_of(std::begin(chip.items), std::end(chip.items),
                    [](const ItemDescriptor& item) { return named(item.name, kIspSizeItem); });
    if (!hasIspItem) return S8_FAIL; // the image would land past the end of Flash

    // Decide everything first; the record changes only once it all fits.
    std::array<std::int32_t, S8_ITEM_COUNT> items;
    std::copy(std::begin(ctx.itemValue), std::end(ctx.itemValue), items.begin());
    const std::uint64_t size = image.size();
    std::uint64_t isp = 0;
    for (int k = 0; k < kItemSlots; ++k) {
        const ItemDescriptor& item = chip.items[k];
        if (named(item.name, kIspSizeItem) && named(item.choices, kRoundedIspChoices)) {
            isp = (size + kRoundedIspUnit - 1) / kRoundedIspUnit * kRoundedIspUnit;
        } else if (named(item.name, kIspSizeItem)) {
            const auto sizes = choiceSizes(item.choices != nullptr ? item.choices : "");
            const auto fits = std::find_if(sizes.begin(), sizes.end(), [&](std::int64_t s) {
                return s >= static_cast<std::int64_t>(size);
            });
            if (fits == sizes.end()) return S8_FILE_TOO_LARGE;
            isp = static_cast<std::uint64_t>(*fits);
            items[k] = static_cast<std::int32_t>(fits - sizes.begin());
        } else if (named(item.name, kBootModeItem)) {
            items[k] = 1;
        }
    }
    if (isp > chip.flashSize || size > isp) return S8_FILE_TOO_LARGE;

    const std::uint64_t start = chip.flashSize - isp;
    const std::uint64_t newLength = std::max<std::uint64_t>(ctx.flashLength, start + size);
    std::vector<std::uint8_t> flash(static_cast<std::size_t>(newLength), 0xFF);
    std::copy_n(ctx.flashData, ctx.flashLength, flash.begin());
    std::copy(image.begin(), image.end(), flash.begin() + static_cast<std::ptrdiff_t>(start));
    std::copy(flash.begin(), flash.end(), ctx.flashData);
    ctx.flashLength = static_cast<std::uint32_t>(newLength);

    std::copy(items.begin(), items.end(), ctx.itemValue);
    for (int j = 0; j < kBitSlots; ++j) {
        if (named(chip.bits[j].name, kBootFromIspBit)) ctx.bitValue[j] = 1;
    }
    return S8_PASS;
}

std::int32_t insertIspCode(ContextRecord* ctx) {
    StatusWord status(ctx->status);
    status.start();
    const ChipRecord* chip = chipAt(ctx->partIndex);
    if (chip == nullptr) return status.finish(S8_FAIL);
    const Image image = ctx->ispCodeSource == 1 ? userImage(*ctx, *chip) : builtInImage(*chip);
    if (image.result != S8_PASS) return status.finish(image.result);
    return status.finish(placeIspImage(*ctx, *chip, image.bytes));
}

} // namespace scriba8
