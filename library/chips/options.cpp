// SPDX-License-Identifier: MIT
// Option bytes <-> option selection.
#include "chips/options.h"

#include "chips/chip_table.h"
#include "chips/option_text.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <string_view>
#include <utility>

namespace scriba8 {
namespace {

using option_text::forEachPiece;
using option_text::lowestSetBit;
using option_text::parseDecimal;
using option_text::parseHex;
using option_text::pieceAt;

constexpr std::string_view kNa = "NA";
constexpr std::string_view kIspSize = "ISP_SIZE";
constexpr std::string_view kIapSize = "IAP_SIZE";
constexpr std::string_view kTrimFrequency = "Trim_Frequency";

// The frequency list: index = frequency code of the trim word.
constexpr std::array<std::string_view, 9> kFrequencies = {
    "External", "6M", "8M", "11.0592M", "12M", "20M", "22.1184M", "24M", "24.576M"};

constexpr std::uint32_t kNoIapArea = 0xFE00;

bool isTrimFamily(std::uint8_t family) {
    return family == 0xF8 || family == 0xF9 || family == 0xFA || family == 0xFC;
}

// "size|code": size decimal, code hexadecimal (its low 8 bits are the code).
struct IspPair {
    std::int64_t size;
    std::uint8_t code;
};

IspPair parseIspPair(std::string_view piece) {
    const std::size_t bar = piece.find('|');
    const std::string_view sizeText = piece.substr(0, bar);
    const std::string_view codeText =
        bar == std::string_view::npos ? std::string_view{} : piece.substr(bar + 1);
    return {parseDecimal(sizeText), static_cast<std::uint8_t>(parseHex(codeText))};
}

// "index|mask": index decimal, mask hexadecimal truncated to 8 bits.
struct BitMapPair {
    std::int64_t index;
    std::uint8_t mask;
};

BitMapPair parseBitMapPair(std::string_view piece) {
    const std::size_t bar = piece.find('|');
    const std::string_view indexText = piece.substr(0, bar);
    const std::string_view maskText =
        bar == std::string_view::npos ? std::string_view{} : piece.substr(bar + 1);
    return {parseDecimal(indexText), static_cast<std::uint8_t>(parseHex(maskText))};
}

// Option bytes addressed by a descriptor's index. The chip data guarantees
// every index is below the option byte count; an index outside it reads as an
// erased byte and is never written.
class OptionReader {
  public:
    OptionReader(const std::uint8_t* bytes, std::size_t count) : bytes_(bytes), count_(count) {}
    bool valid(std::int64_t index) const {
        return index >= 0 && static_cast<std::uint64_t>(index) < count_;
    }
    std::uint8_t get(std::int64_t index) const { return valid(index) ? bytes_[index] : 0xFF; }

  private:
    const std::uint8_t* bytes_;
    std::size_t count_;
};

class OptionWriter {
  public:
    OptionWriter(std::uint8_t* bytes, std::size_t count) : bytes_(bytes), count_(count) {}
    bool valid(std::int64_t index) const {
        return index >= 0 && static_cast<std::uint64_t>(index) < count_;
    }
    std::uint8_t get(std::int64_t index) const { return valid(index) ? bytes_[index] : 0xFF; }
    void set(std::int64_t index, std::uint32_t value) {
        if (valid(index)) bytes_[index] = static_cast<std::uint8_t>(value);
    }
    // B[index] = (B[index] AND NOT mask) OR bits, in 8 bits.
    void put(std::int64_t index, std::uint8_t mask, std::uint32_t bits) {
        set(index, (get(index) & ~static_cast<std::uint32_t>(mask)) | (bits & 0xFFu));
    }
    void setBits(std::int64_t index, std::uint8_t bits) { set(index, get(index) | bits); }
    void clearBits(std::int64_t index, std::uint8_t bits) {
        set(index, get(index) & ~static_cast<std::uint32_t>(bits));
    }

  private:
    std::uint8_t* bytes_;
    std::size_t count_;
};

std::int32_t clampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// ---- Decoding ----------------------------------------------------------------

void decodeItems(const ChipRecord& chip, const std::uint8_t* raw, ContextRecord& ctx) {
    const OptionReader bytes(raw, chip.optionByteCount);
    std::int64_t isp = 0;
    for (int k = 0; k < kItemSlots; ++k) {
        const ItemDescriptor& item = chip.items[k];
        const std::string_view name = item.name;
        std::int32_t& value = ctx.itemValue[k];
        if (name == kNa) continue;

        if (name == kIspSize) {
            const std::uint8_t field = bytes.get(item.byteIndex) & item.mask;
            forEachPiece(item.choices, [&](std::string_view piece, int n) {
                const IspPair pair = parseIspPair(piece);
                if (pair.code != field) return true;
                value = n;
                isp = pair.size;
                return false;
            });
        } else if (name == kIapSize) {
            const std::uint32_t x =
                static_cast<std::uint32_t>(bytes.get(item.byteIndex) & item.mask) * 256u;
            if (x >= kNoIapArea || x >= chip.flashSize) {
                value = 0;
            } else {
                // An IAP start inside the ISP area has no defined value; it reads as 0.
                const std::int64_t pagesBytes = static_cast<std::int64_t>(chip.flashSize) - x - isp;
                value = pagesBytes < 0 ? 0 : clampToInt32(pagesBytes / 512);
            }
        } else if (std::string_view(item.bitMap) == kNa) {
            const std::uint32_t field =
                (~static_cast<std::uint32_t>(bytes.get(item.byteIndex))) & item.mask;
            const std::int64_t v =
                static_cast<std::int64_t>(field >> lowestSetBit(item.mask)) - item.bias;
            value = v < 0 ? 0 : clampToInt32(v);
        } else {
            std::uint32_t accumulator = 0;
            int pairs = 0;
            forEachPiece(item.bitMap, [&](std::string_view piece, int k2) {
                const BitMapPair pair = parseBitMapPair(piece);
                if (k2 < 32 && (bytes.get(pair.index) & pair.mask) != 0) accumulator |= 1u << k2;
                pairs = k2 + 1;
                return true;
            });
            const std::uint32_t all = pairs >= 32 ? 0xFFFFFFFFu : (1u << pairs) - 1u;
            value = clampToInt32(static_cast<std::int64_t>(all & ~accumulator) - item.bias);
        }
    }
}

void decodeBits(const ChipRecord& chip, const std::uint8_t* raw, ContextRecord& ctx) {
    const OptionReader bytes(raw, chip.optionByteCount);
    for (int j = 0; j < kBitSlots; ++j) {
        const BitDescriptor& bit = chip.bits[j];
        if (std::string_view(bit.name) == kNa) continue;
        ctx.bitValue[j] = (bytes.get(bit.byteIndex) & bit.mask) == 0 ? 1u : 0u;
    }
}

// ---- Encoding ----------------------------------------------------------------

void encodeTrim(const ChipRecord& chip, std::int32_t v, OptionWriter& bytes) {
    const bool external = v == 0;
    switch (chip.familyByte()) {
    case 0xF8:
        if (external) {
            bytes.setBits(1, 0x02);
            bytes.clearBits(1, 0x20);
            bytes.setBits(1, 0x40);
        } else {
            bytes.clearBits(1, 0x02);
            bytes.setBits(1, 0x20);
            bytes.clearBits(1, 0x40);
        }
        break;
    case 0xF9:
        if (external) {
            bytes.setBits(1, 0x02 | 0x20 | 0x40);
        } else {
            bytes.clearBits(1, 0x02);
            bytes.setBits(1, 0x20);
            bytes.clearBits(1, 0x40);
        }
        break;
    case 0xFA:
        if (external) {
            bytes.setBits(0, 0x01 | 0x02);
            bytes.setBits(1, 0x08);
        } else {
            bytes.setBits(0, 0x01);
            bytes.clearBits(0, 0x02);
            bytes.clearBits(1, 0x08);
        }
        break;
    case 0xFC:
        if (external) {
            bytes.setBits(1, 0x08);
        } else {
            bytes.clearBits(1, 0x08);
        }
        break;
    default:
        break;
    }
}

// IAP start address in 16-bit arithmetic.
std::uint32_t iapStart(std::uint32_t flashSize, std::int64_t isp, std::int32_t v) {
    const std::uint32_t pages = static_cast<std::uint32_t>(v);
    std::uint32_t x;
    if (isp != 0) {
        x = flashSize - static_cast<std::uint32_t>(isp) - 512u * pages;
    } else if (flashSize == 0x10000) {
        x = v == 0 ? kNoIapArea : 0x10000u - 512u * (pages + 1u);
    } else {
        x = v == 0 ? kNoIapArea : flashSize - 512u * pages;
    }
    return x & 0xFFFFu;
}

void encodeItems(const ChipRecord& chip, const ContextRecord& ctx, OptionWriter& bytes) {
    std::int64_t isp = 0;
    for (int k = 0; k < kItemSlots; ++k) {
        const ItemDescriptor& item = chip.items[k];
        const std::string_view name = item.name;
        const std::int32_t v = ctx.itemValue[k];
        if (name == kNa) continue;

        if (name == kTrimFrequency) {
            encodeTrim(chip, v, bytes);
        } else if (name == kIspSize) {
            if (v < 0) continue;
            if (const auto piece = pieceAt(item.choices, v)) {
                const IspPair pair = parseIspPair(*piece);
                isp = pair.size;
                bytes.put(item.byteIndex, item.mask, pair.code);
            }
        } else if (name == kIapSize) {
            const std::uint32_t x = iapStart(chip.flashSize, isp, v);
            bytes.put(item.byteIndex, item.mask, item.mask & (x / 256u));
        } else if (std::string_view(item.bitMap) == kNa) {
            const auto t = static_cast<std::uint8_t>(static_cast<std::int64_t>(item.bias) + v);
            const auto shifted =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(t) << lowestSetBit(item.mask));
            bytes.put(item.byteIndex, item.mask, item.mask & static_cast<std::uint8_t>(~shifted));
        } else {
            const auto t = static_cast<std::uint8_t>(~(static_cast<std::int64_t>(item.bias) + v));
            forEachPiece(item.bitMap, [&](std::string_view piece, int k2) {
                const BitMapPair pair = parseBitMapPair(piece);
                const std::uint32_t bit = k2 < 8 ? (t >> k2) & 1u : 0u;
                bytes.put(pair.index, pair.mask, bit << lowestSetBit(pair.mask));
                return true;
            });
        }
    }
}

void encodeBits(const ChipRecord& chip, const ContextRecord& ctx, OptionWriter& bytes) {
    for (int j = 0; j < kBitSlots; ++j) {
        const BitDescriptor& bit = chip.bits[j];
        if (std::string_view(bit.name) == kNa) continue;
        if (ctx.bitValue[j] == 1) {
            bytes.clearBits(bit.byteIndex, bit.mask);
        } else {
            bytes.setBits(bit.byteIndex, bit.mask);
        }
    }
}

// The first item slot named "Trim_Frequency", or -1.
int trimSlot(const ChipRecord& chip) {
    for (int k = 0; k < kItemSlots; ++k) {
        if (std::string_view(chip.items[k].name) == kTrimFrequency) return k;
    }
    return -1;
}

} // namespace

namespace detail {

std::uint8_t defaultOptionByte(const ChipRecord& chip, int i) {
    const auto token = pieceAt(chip.defaultOptions, i);
    if (!token) return 0xFF;
    return static_cast<std::uint8_t>(parseHex(*token));
}

void decodeOptions(const ChipRecord& chip, ContextRecord& ctx, const std::uint8_t* bytes) {
    if (bytes == nullptr) return;
    decodeItems(chip, bytes, ctx);
    decodeBits(chip, bytes, ctx);
}

void encodeOptions(const ChipRecord& chip, const ContextRecord& ctx, OptionBlock& block) {
    const std::size_t count = chip.optionByteCount;
    if (block.size() < count) block.resize(count, 0xFF);

    OptionWriter bytes(block.data(), count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes.set(static_cast<std::int64_t>(i), defaultOptionByte(chip, static_cast<int>(i)));
    }
    encodeItems(chip, ctx, bytes);
    encodeBits(chip, ctx, bytes);

    // Checksum extension: only while the caller runs an automatic step, a
    // project save or an off-line download (bit 15) with "Save Chip Checksum"
    // (bit 7) selected.
    constexpr std::uint16_t kBothSteps = S8_STEP_RUNNING | S8_STEP_SAVE_CHIP_CHECKSUM;
    if (chip.chipChecksumSupported == 1 && (ctx.autoProcess & kBothSteps) == kBothSteps) {
        OptionBlock extended(std::max<std::size_t>(block.size(), 16), 0xFF);
        std::copy_n(block.begin(), count, extended.begin());
        extended[14] = static_cast<std::uint8_t>(ctx.flashFullChecksum & 0xFF);
        extended[15] = static_cast<std::uint8_t>(ctx.flashFullChecksum >> 8);
        block = std::move(extended);
    }
}

int trimWordFromSelection(const ChipRecord& chip, ContextRecord& ctx) {
    if (!isTrimFamily(chip.familyByte())) {
        ctx.trimWord = 0;
        return 0;
    }
    const int slot = trimSlot(chip);
    if (slot < 0) return kTrimItemMissing;
    const auto label = pieceAt(chip.items[slot].choices, ctx.itemValue[slot]);
    if (!label) return 0;
    for (std::size_t f = 0; f < kFrequencies.size(); ++f) {
        if (*label == kFrequencies[f]) {
            ctx.trimWord = f == 0 ? 0 : static_cast<std::uint16_t>(f * 256 + 1);
            break;
        }
    }
    return 0;
}

int selectionFromTrimWord(const ChipRecord& chip, ContextRecord& ctx) {
    if (!isTrimFamily(chip.familyByte())) return 0;
    const int slot = trimSlot(chip);
    if (slot < 0) return kTrimItemMissing;
    const std::size_t f = ctx.trimWord >> 8;
    // A frequency index beyond the list (only a damaged project holds one)
    // names no label; the item value stays as it is.
    if (f >= kFrequencies.size()) return 0;
    forEachPiece(chip.items[slot].choices, [&](std::string_view piece, int n) {
        if (piece != kFrequencies[f]) return true;
        ctx.itemValue[slot] = n;
        return false;
    });
    return 0;
}

} // namespace detail

std::uint8_t DefaultOptionByte(std::int32_t chipIndex, int i) {
    const ChipRecord* chip = chipAt(chipIndex);
    return chip == nullptr ? 0xFF : detail::defaultOptionByte(*chip, i);
}

void DecodeOptions(ContextRecord& ctx, const std::uint8_t* bytes) {
    if (const ChipRecord* chip = chipAt(ctx.partIndex)) detail::decodeOptions(*chip, ctx, bytes);
}

void EncodeOptions(const ContextRecord& ctx, OptionBlock& block) {
    if (const ChipRecord* chip = chipAt(ctx.partIndex)) detail::encodeOptions(*chip, ctx, block);
}

int TrimWordFromSelection(ContextRecord& ctx) {
    const ChipRecord* chip = chipAt(ctx.partIndex);
    return chip == nullptr ? 0 : detail::trimWordFromSelection(*chip, ctx);
}

int SelectionFromTrimWord(ContextRecord& ctx) {
    const ChipRecord* chip = chipAt(ctx.partIndex);
    return chip == nullptr ? 0 : detail::selectionFromTrimWord(*chip, ctx);
}

} // namespace scriba8
