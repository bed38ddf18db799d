// SPDX-License-Identifier: MIT
// One chip of every option layout through the whole life of a part: erase,
// blank check, program, verify, EEPROM, options, and a dump that gives back
// what was written.
#include "operations_fixture.h"

#include "chips/option_text.h"

#include <gmock/gmock.h>

#include <map>
#include <string>

namespace scriba8::testing {
namespace {

// Everything the option encoding looks at.
std::string layoutKey(const ChipRecord& chip) {
    std::string key = std::to_string(chip.optionByteCount) + chip.defaultOptions;
    for (const ItemDescriptor& item : chip.items) {
        key += std::string("|") + item.name + "," + std::to_string(item.byteIndex) + "," +
               std::to_string(item.mask) + "," + std::to_string(item.bias) + "," + item.bitMap +
               "," + item.choices;
    }
    for (const BitDescriptor& bit : chip.bits) {
        key += std::string("|") + bit.name + "," + std::to_string(bit.byteIndex) + "," +
               std::to_string(bit.mask);
    }
    return key;
}

bool named(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

// A random selection that survives encoding and decoding: lock and security
// off, and no IAP area on a 64 KiB chip without ISP area (decoding counts
// its last page there).
void randomSelection(const ChipRecord& chip, ContextRecord& ctx, std::mt19937& random) {
    int ispSize = 0;
    for (int k = 0; k < kItemSlots; ++k) {
        const ItemDescriptor& item = chip.items[k];
        if (named(item.name, "NA")) continue;
        const int choices = option_text::pieceCount(item.choices);
        if (named(item.name, "IAP_SIZE")) {
            ctx.itemValue[k] = ispSize == 0 && chip.flashSize == 0x10000 ? 0 : static_cast<int>(random() % 5);
            continue;
        }
        ctx.itemValue[k] = static_cast<int>(random() % static_cast<unsigned>(choices));
        if (named(item.name, "ISP_SIZE")) {
            ispSize = std::stoi(std::string(*option_text::pieceAt(item.choices, ctx.itemValue[k])));
        }
    }
    for (int j = 0; j < kBitSlots; ++j) {
        const char* name = chip.bits[j].name;
        if (named(name, "NA")) continue;
        ctx.bitValue[j] = named(name, "LOCK") || named(name, "SB") ? 0 : random() % 2;
    }
}

class ChipLifeTest : public OperationsTest {
protected:
    // The option selection in the record equals the one written; the trim
    // frequency lives in the trim word, not in the option bytes.
    void expectSelection(const ChipRecord& chip, const ContextRecord& written) {
        for (int k = 0; k < kItemSlots; ++k) {
            const char* name = chip.items[k].name;
            if (named(name, "NA") || named(name, "Trim_Frequency")) continue;
            EXPECT_EQ(ctx_.itemValue[k], written.itemValue[k]) << name;
        }
        for (int j = 0; j < kBitSlots; ++j) {
            if (named(chip.bits[j].name, "NA")) continue;
            EXPECT_EQ(ctx_.bitValue[j], written.bitValue[j]) << chip.bits[j].name;
        }
    }

    void forgetSelection() {
        for (auto& value : ctx_.itemValue) value = -7;
        for (auto& value : ctx_.bitValue) value = 9;
    }
};

TEST_F(ChipLifeTest, EveryOptionLayout) {
    std::map<std::string, std::int32_t> layouts;
    for (std::size_t i = 0; i < chipTable().size(); ++i) {
        layouts.emplace(layoutKey(chipTable()[i]), static_cast<std::int32_t>(i));
    }
    ASSERT_GE(layouts.size(), 10u);

    for (const auto& [key, index] : layouts) {
        const ChipRecord& chip = *chipAt(index);
        SCOPED_TRACE(chip.partName);
        ctx_.partIndex = index;
        freshDevice();

        ASSERT_EQ(wholeChipErase(&ctx_), S8_PASS);
        ASSERT_EQ(blankCheck(&ctx_), S8_PASS);
        std::vector<std::uint8_t> image = randomBytes(chip.flashSize, random_);
        useImage(image);
        ASSERT_EQ(program(&ctx_), S8_PASS);
        ASSERT_EQ(verify(&ctx_), S8_PASS);
        std::vector<std::uint8_t> eepromImage = randomBytes(chip.eepromSize, random_);
        if (chip.eepromSize != 0) {
            useEeprom(eepromImage);
            ASSERT_EQ(programEeprom(&ctx_), S8_PASS);
        }

        randomSelection(chip, ctx_, random_);
        const ContextRecord written = ctx_;
        ASSERT_EQ(writeOptions(&ctx_), S8_PASS);
        if ((ctx_.trimWord & 0xFF) == 1) {
            EXPECT_EQ(device().socket()->trimmedFrequency, ctx_.trimWord >> 8);
        }
        forgetSelection();
        ASSERT_EQ(readOptions(&ctx_), S8_PASS);
        expectSelection(chip, written);

        forgetSelection();
        std::vector<std::uint8_t> flash(chip.flashSize), eeprom(chip.eepromSize);
        ctx_.flashData = flash.data();
        ctx_.eepromData = eeprom.data();
        ASSERT_EQ(dumpTarget(&ctx_), S8_PASS);
        EXPECT_EQ(flash, image);
        EXPECT_EQ(eeprom, eepromImage);
        expectSelection(chip, written);
    }
}

} // namespace
} // namespace scriba8::testing
