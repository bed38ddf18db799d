// SPDX-License-Identifier: MIT
// GetBodyInfo: the exported chip records.
#include "chips/chip_table.h"
#include "chips/options.h"
#include "export_impl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>
#include <vector>

namespace scriba8 {
namespace {

struct Exported {
    const BodyInfo* first = nullptr;
    std::int32_t count = 0;
};

Exported getBodyInfo() {
    Exported e;
    e.count = bodyInfo(&e.first);
    return e;
}

TEST(BodyInfo, OneRecordPerRowInRowOrder) {
    const Exported e = getBodyInfo();
    ASSERT_NE(e.first, nullptr);
    ASSERT_EQ(e.count, 87);
    const auto table = chipTable();
    ASSERT_EQ(static_cast<std::size_t>(e.count), table.size());
    for (std::int32_t n = 0; n < e.count; ++n) {
        const BodyInfo& info = e.first[n];
        const ChipRecord& chip = table[n];
        SCOPED_TRACE(chip.partName);
        EXPECT_EQ(info.partName, chip.partName) << "texts point into the library's own data";
        EXPECT_EQ(info.seriesMask, chip.seriesMask);
        EXPECT_EQ(info.seriesMask & (info.seriesMask - 1), 0u) << "exactly one series bit";
        EXPECT_NE(info.seriesMask, 0u);
        EXPECT_EQ(info.flashSize, chip.flashSize);
        EXPECT_EQ(info.eepromSize, chip.eepromSize);
        EXPECT_EQ(info.customerStringSupported, chip.customerStringSupported);
        EXPECT_EQ(info.chipChecksumSupported, chip.chipChecksumSupported);
        EXPECT_EQ(info.familyCode, chip.familyCode);
        for (int k = 0; k < kItemSlots; ++k) {
            EXPECT_EQ(info.items[k].name, chip.items[k].name);
            EXPECT_EQ(info.items[k].choices, chip.items[k].choices);
        }
        for (int j = 0; j < kBitSlots; ++j) {
            EXPECT_EQ(info.bits[j].name, chip.bits[j].name);
            EXPECT_EQ(info.bits[j].linkedItem, chip.bits[j].linkedItem);
            EXPECT_EQ(info.bits[j].description, chip.bits[j].description);
        }
    }
}

TEST(BodyInfo, ValuesAreTheDecodedDefaults) {
    const Exported e = getBodyInfo();
    for (std::int32_t n = 0; n < e.count; ++n) {
        const ChipRecord& chip = *chipAt(n);
        SCOPED_TRACE(chip.partName);
        ContextRecord ctx{};
        ctx.partIndex = n;
        std::vector<std::uint8_t> bytes(chip.optionByteCount);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = DefaultOptionByte(n, static_cast<int>(i));
        DecodeOptions(ctx, bytes.data());
        for (int k = 0; k < kItemSlots; ++k) {
            const std::string_view name = chip.items[k].name;
            if (name == "NA") {
                EXPECT_EQ(e.first[n].items[k].value, 0);
            } else if (name != "Trim_Frequency") {
                EXPECT_EQ(e.first[n].items[k].value, ctx.itemValue[k]) << name;
            }
        }
        for (int j = 0; j < kBitSlots; ++j) {
            const std::string_view name = chip.bits[j].name;
            EXPECT_EQ(e.first[n].bits[j].value, name == "NA" ? 0u : ctx.bitValue[j]) << name;
        }
    }
}

TEST(BodyInfo, OldestFamilyExportsLockSbAndMovclActive) {
    const Exported e = getBodyInfo();
    for (int n : {0, 1}) {
        ASSERT_STREQ(chipAt(n)->defaultOptions, "0xF8,0xFF");
        const BodyInfo& info = e.first[n];
        EXPECT_STREQ(info.items[0].name, "ISP_SIZE");
        EXPECT_EQ(info.items[0].value, 0);
        for (const OptionBit& bit : info.bits) {
            const std::string_view name = bit.name;
            const bool active = name == "LOCK" || name == "SB" || name == "MOVCL";
            EXPECT_EQ(bit.value, active ? 1u : 0u) << name;
        }
    }
}

TEST(BodyInfo, TrimFrequencyValueComesFromTheFamilyByte) {
    const Exported e = getBodyInfo();
    int seen = 0;
    for (std::int32_t n = 0; n < e.count; ++n) {
        const ChipRecord& chip = *chipAt(n);
        for (int k = 0; k < kItemSlots; ++k) {
            if (std::string_view(chip.items[k].name) != "Trim_Frequency") continue;
            ++seen;
            int expected = 0;
            if (chip.familyByte() == 0xFA) expected = 3;
            if (chip.familyByte() == 0xFC) expected = 4;
            EXPECT_EQ(e.first[n].items[k].value, expected) << chip.partName;
        }
    }
    EXPECT_GT(seen, 0);
}

TEST(BodyInfo, EmptySlotsExportNaAndZero) {
    const Exported e = getBodyInfo();
    for (std::int32_t n = 0; n < e.count; ++n) {
        for (int k : {4, 5}) {
            EXPECT_STREQ(e.first[n].items[k].name, "NA");
            EXPECT_EQ(e.first[n].items[k].value, 0);
        }
        for (int j : {12, 13}) {
            EXPECT_STREQ(e.first[n].bits[j].name, "NA");
            EXPECT_EQ(e.first[n].bits[j].value, 0u);
        }
    }
}

TEST(BodyInfo, DescriptionsAreBilingualPairs) {
    const Exported e = getBodyInfo();
    const OptionBit& lock = e.first[0].bits[0];
    ASSERT_STREQ(lock.name, "LOCK");
    const char* english = lock.description;
    const char* chinese = english + std::strlen(english) + 1;
    EXPECT_STREQ(english, "Lock Device");
    EXPECT_STREQ(chinese, "设备数据加锁");
}

TEST(BodyInfo, TwoCallsGiveTheSameAddressCountAndContents) {
    const Exported first = getBodyInfo();
    const std::vector<BodyInfo> copy(first.first, first.first + first.count);
    const Exported second = getBodyInfo();
    EXPECT_EQ(second.first, first.first);
    EXPECT_EQ(second.count, first.count);
    ASSERT_EQ(copy.size(), static_cast<std::size_t>(second.count));
    for (std::size_t n = 0; n < copy.size(); ++n) {
        const BodyInfo& a = copy[n];
        const BodyInfo& b = second.first[n];
        EXPECT_TRUE(a.partName == b.partName && a.seriesMask == b.seriesMask &&
                    a.flashSize == b.flashSize && a.eepromSize == b.eepromSize &&
                    a.customerStringSupported == b.customerStringSupported &&
                    a.chipChecksumSupported == b.chipChecksumSupported &&
                    a.familyCode == b.familyCode)
            << n;
        for (int k = 0; k < kItemSlots; ++k) {
            EXPECT_TRUE(a.items[k].name == b.items[k].name &&
                        a.items[k].choices == b.items[k].choices &&
                        a.items[k].value == b.items[k].value)
                << n << " item " << k;
        }
        for (int j = 0; j < kBitSlots; ++j) {
            EXPECT_TRUE(a.bits[j].name == b.bits[j].name &&
                        a.bits[j].linkedItem == b.bits[j].linkedItem &&
                        a.bits[j].description == b.bits[j].description &&
                        a.bits[j].value == b.bits[j].value)
                << n << " bit " << j;
        }
    }
}

TEST(BodyInfo, ThroughTheCInterface) {
    const BodyInfo* first = nullptr;
    const std::int32_t count = bodyInfo(&first);
    EXPECT_EQ(count, 87);
    EXPECT_EQ(bodyInfo(nullptr), 87) << "a null argument still reports the count";
}

} // namespace
} // namespace scriba8
