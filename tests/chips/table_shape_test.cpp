// SPDX-License-Identifier: MIT
// The shape of the delivered chip table and the vocabulary of its
// option descriptors, checked on the compiled table.
#include "chips/chip_table.h"
#include "chips/option_text.h"
#include "chips/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace scriba8 {
namespace {

using option_text::forEachPiece;
using option_text::pieceCount;

std::span<const ChipRecord> table() { return chipTable(); }

int seriesOf(const ChipRecord& chip) {
    for (int i = 0; i < 32; ++i) {
        if (chip.seriesMask == (1u << i)) return i;
    }
    return -1;
}

bool isPairOf(const ChipRecord& a, const ChipRecord& b) {
    // Everything but partName, targetParams and partCode is the same.
    if (a.seriesMask != b.seriesMask || std::memcmp(a.chipId, b.chipId, 2) != 0 ||
        a.familyCode != b.familyCode || a.algorithm != b.algorithm || a.flashSize != b.flashSize ||
        a.flashPageSize != b.flashPageSize || a.eepromSize != b.eepromSize ||
        a.eepromPageSize != b.eepromPageSize || a.ispResourceId != b.ispResourceId ||
        a.customerStringSupported != b.customerStringSupported ||
        a.chipChecksumSupported != b.chipChecksumSupported ||
        a.optionByteCount != b.optionByteCount ||
        std::string_view(a.defaultOptions) != b.defaultOptions) {
        return false;
    }
    for (int k = 0; k < kItemSlots; ++k) {
        const auto& x = a.items[k];
        const auto& y = b.items[k];
        if (std::string_view(x.name) != y.name || x.byteIndex != y.byteIndex || x.mask != y.mask ||
            x.bias != y.bias || std::string_view(x.bitMap) != y.bitMap ||
            std::string_view(x.choices) != y.choices) {
            return false;
        }
    }
    for (int j = 0; j < kBitSlots; ++j) {
        const auto& x = a.bits[j];
        const auto& y = b.bits[j];
        if (std::string_view(x.name) != y.name || x.byteIndex != y.byteIndex || x.mask != y.mask ||
            x.linkedItem != y.linkedItem) {
            return false;
        }
    }
    const int lastA = a.targetParams[3];
    const int lastB = b.targetParams[3];
    return (lastA == 1 && lastB == 2) || (lastA == 2 && lastB == 1);
}

// Rows that form a low-voltage / 5-volt pair with the row after them.
std::vector<std::size_t> pairStarts() {
    std::vector<std::size_t> starts;
    const auto t = table();
    for (std::size_t i = 0; i + 1 < t.size();) {
        if (isPairOf(t[i], t[i + 1])) {
            starts.push_back(i);
            i += 2;
        } else {
            ++i;
        }
    }
    return starts;
}

TEST(ChipTableShape, HasEightySevenRows) { EXPECT_EQ(table().size(), 87u); }

TEST(ChipTableShape, RowsPerSeriesInSeriesOrder) {
    const std::array<int, 14> expected = {13, 12, 10, 4, 14, 4, 8, 4, 2, 2, 2, 8, 2, 2};
    std::array<int, 14> counts{};
    int previous = 0;
    for (const auto& chip : table()) {
        const int series = seriesOf(chip);
        ASSERT_GE(series, 0) << chip.partName << ": seriesMask must have exactly one bit";
        ASSERT_LT(series, 14) << chip.partName;
        EXPECT_GE(series, previous) << chip.partName << ": rows are grouped in series order";
        previous = series;
        ++counts[series];
    }
    EXPECT_EQ(counts, expected);
}

TEST(ChipTableShape, FamilyCodes) {
    std::map<int, int> counts;
    for (const auto& chip : table())
        ++counts[chip.familyCode];
    EXPECT_EQ(counts, (std::map<int, int>{{0, 71}, {1, 12}, {0x301, 4}}));
}

TEST(ChipTableShape, FamilyCodeOneIsOneCoherentFamily) {
    std::set<std::uint32_t> series;
    std::set<std::uint8_t> families;
    for (const auto& chip : table()) {
        if (chip.familyCode != 1) continue;
        series.insert(chip.seriesMask);
        families.insert(chip.familyByte());
    }
    EXPECT_EQ(series.size(), 1u) << "the family-code-1 rows make up one series";
    for (const auto& chip : table()) {
        if (series.count(chip.seriesMask)) {
            EXPECT_EQ(chip.familyCode, 1) << chip.partName;
        }
    }
}

TEST(ChipTableShape, FlashPageSizes) {
    std::map<int, int> counts;
    for (const auto& chip : table())
        ++counts[chip.flashPageSize];
    EXPECT_EQ(counts, (std::map<int, int>{{64, 2}, {128, 8}, {512, 77}}));
}

TEST(ChipTableShape, FlashSizesFromEightToSixtyFourKilobytes) {
    std::uint32_t smallest = 0xFFFFFFFF, largest = 0;
    for (const auto& chip : table()) {
        EXPECT_EQ(chip.flashSize % 1024, 0u) << chip.partName;
        smallest = std::min(smallest, chip.flashSize);
        largest = std::max(largest, chip.flashSize);
    }
    EXPECT_EQ(smallest, 8u * 1024);
    EXPECT_EQ(largest, 64u * 1024);
}

TEST(ChipTableShape, TheOneEepromPart) {
    std::vector<const ChipRecord*> rows;
    for (const auto& chip : table()) {
        if (chip.eepromSize != 0) {
            rows.push_back(&chip);
        } else {
            EXPECT_EQ(chip.eepromPageSize, 0) << chip.partName;
        }
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], rows[0] + 1) << "the two EEPROM rows are adjacent";
    EXPECT_TRUE(isPairOf(*rows[0], *rows[1]));
    for (const ChipRecord* chip : rows) {
        EXPECT_EQ(seriesOf(*chip), 10) << "Series K";
        EXPECT_EQ(chip->eepromSize, 512u);
        EXPECT_EQ(chip->eepromPageSize, 16);
        EXPECT_EQ(chip->flashPageSize, 64);
        EXPECT_EQ(chip->optionByteCount, 7u);
        EXPECT_EQ(chip->familyCode, 0x301);
        // A three-bit brown-out field scattered over two option bytes.
        bool scattered = false;
        for (const auto& item : chip->items) {
            if (std::string_view(item.bitMap) == "NA") continue;
            std::set<long> bytes;
            const int pairs = pieceCount(item.bitMap);
            forEachPiece(item.bitMap, [&](std::string_view piece, int) {
                bytes.insert(std::stol(std::string(piece.substr(0, piece.find('|')))));
                return true;
            });
            scattered = pairs == 3 && bytes.size() == 2;
        }
        EXPECT_TRUE(scattered) << chip->partName;
    }
    // Family code 0x301: the EEPROM pair plus one more pair.
    std::vector<std::size_t> others;
    const auto t = table();
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].familyCode == 0x301 && t[i].eepromSize == 0) others.push_back(i);
    }
    ASSERT_EQ(others.size(), 2u);
    EXPECT_EQ(others[1], others[0] + 1);
    EXPECT_TRUE(isPairOf(t[others[0]], t[others[1]]));
}

TEST(ChipTableShape, ChecksumRows) {
    int count = 0;
    int seriesD = 0;
    for (const auto& chip : table()) {
        const int series = seriesOf(chip);
        if (series >= 5) {
            EXPECT_EQ(chip.chipChecksumSupported, 1u) << chip.partName << ": Series F to N";
        }
        if (series < 3) {
            EXPECT_EQ(chip.chipChecksumSupported, 0u) << chip.partName;
        }
        if (series == 4) {
            EXPECT_EQ(chip.chipChecksumSupported, 0u) << chip.partName;
        }
        if (chip.chipChecksumSupported == 1) {
            ++count;
            if (series == 3) ++seriesD;
            EXPECT_GE(chip.optionByteCount, 6u) << chip.partName;
            EXPECT_LE(chip.optionByteCount, 9u) << chip.partName;
        } else {
            EXPECT_EQ(chip.chipChecksumSupported, 0u) << chip.partName;
        }
    }
    EXPECT_EQ(count, 36);
    EXPECT_EQ(seriesD, 2);
}

TEST(ChipTableShape, PairsOfLowVoltageAndFiveVoltRows) {
    const auto t = table();
    const auto starts = pairStarts();
    std::vector<bool> inPair(t.size(), false);
    for (std::size_t s : starts)
        inPair[s] = inPair[s + 1] = true;
    int singles = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (!inPair[i]) ++singles;
        EXPECT_TRUE(t[i].targetParams[3] == 1 || t[i].targetParams[3] == 2) << t[i].partName;
    }
    EXPECT_EQ(starts.size(), 43u) << "most parts come as pairs";
    EXPECT_EQ(singles, 1) << "Series A has an odd count, so one part stands alone";
}

TEST(ChipTableShape, PartNamesAreUnique) {
    std::set<std::string_view> names;
    for (const auto& chip : table()) {
        EXPECT_TRUE(names.insert(chip.partName).second) << chip.partName;
        EXPECT_GT(std::strlen(chip.partName), 0u);
    }
}

TEST(ChipTableShape, PartCodesUniqueExceptOnePair) {
    const auto t = table();
    std::map<std::uint16_t, std::vector<std::size_t>> rows;
    for (std::size_t i = 0; i < t.size(); ++i)
        rows[t[i].partCode].push_back(i);
    int shared = 0;
    for (const auto& [code, list] : rows) {
        if (list.size() == 1) continue;
        ++shared;
        ASSERT_EQ(list.size(), 2u) << "part code " << code;
        EXPECT_EQ(list[1], list[0] + 1);
        EXPECT_TRUE(isPairOf(t[list[0]], t[list[1]]));
    }
    EXPECT_EQ(shared, 1);
}

TEST(ChipTableShape, IdentityBytesNameOnePart) {
    const auto t = table();
    std::map<std::pair<int, int>, std::vector<std::size_t>> rows;
    for (std::size_t i = 0; i < t.size(); ++i)
        rows[{t[i].productByte(), t[i].familyByte()}].push_back(i);
    for (const auto& [id, list] : rows) {
        ASSERT_LE(list.size(), 2u);
        if (list.size() == 2) {
            EXPECT_EQ(list[1], list[0] + 1);
            EXPECT_TRUE(isPairOf(t[list[0]], t[list[1]])) << t[list[0]].partName;
        }
    }
}

TEST(ChipTableShape, FamilyBytesCoverBothIdentityKindsAndEveryTrimFamily) {
    const std::set<int> twoByte = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5,
                                   0xF7, 0xF8, 0xF9, 0xFA, 0xFC};
    std::set<int> families;
    for (const auto& chip : table())
        families.insert(chip.familyByte());
    int twoByteFamilies = 0, threeByteFamilies = 0;
    for (int f : families)
        (twoByte.count(f) ? twoByteFamilies : threeByteFamilies)++;
    EXPECT_GE(twoByteFamilies, 2);
    EXPECT_GE(threeByteFamilies, 2);
    for (int trim : {0xF8, 0xF9, 0xFA, 0xFC})
        EXPECT_TRUE(families.count(trim)) << std::hex << trim;
    EXPECT_TRUE(families.count(0xF4));
    EXPECT_TRUE(families.count(0xF0) || families.count(0xF1) || families.count(0xF2) ||
                families.count(0xF3));
}

TEST(ChipTableShape, RowFields) {
    const std::set<int> images = [] {
        std::set<int> ids = {3006, 3010, 3011, 3012, 3045};
        for (int id = 3014; id <= 3032; ++id)
            ids.insert(id);
        for (int id = 3034; id <= 3043; ++id)
            ids.insert(id);
        return ids;
    }();
    std::set<int> used;
    for (const auto& chip : table()) {
        SCOPED_TRACE(chip.partName);
        EXPECT_GE(chip.algorithm, 2u);
        EXPECT_LE(chip.algorithm, 12u);
        EXPECT_TRUE(images.count(chip.ispResourceId)) << chip.ispResourceId;
        used.insert(chip.ispResourceId);
        EXPECT_EQ(chip.customerStringSupported, 0u);
        EXPECT_GE(chip.optionByteCount, 2u);
        EXPECT_LE(chip.optionByteCount, 9u);
    }
    EXPECT_GT(used.size(), 1u) << "several images";
    EXPECT_LT(used.size(), images.size()) << "some images are named by no chip";
}

TEST(ChipTableShape, DefaultOptionsHaveOneTokenPerOptionByte) {
    for (const auto& chip : table()) {
        EXPECT_EQ(pieceCount(chip.defaultOptions), static_cast<int>(chip.optionByteCount))
            << chip.partName;
    }
}

TEST(ChipTableShape, DescriptorIndicesStayInsideTheOptionBytes) {
    for (const auto& chip : table()) {
        SCOPED_TRACE(chip.partName);
        for (const auto& item : chip.items) {
            if (std::string_view(item.name) == "NA") continue;
            EXPECT_LT(item.byteIndex, chip.optionByteCount) << item.name;
            if (std::string_view(item.bitMap) == "NA") continue;
            EXPECT_LE(pieceCount(item.bitMap), 7);
            forEachPiece(item.bitMap, [&](std::string_view piece, int) {
                EXPECT_LT(std::stoul(std::string(piece.substr(0, piece.find('|')))),
                          chip.optionByteCount);
                return true;
            });
        }
        for (const auto& bit : chip.bits) {
            if (std::string_view(bit.name) == "NA") continue;
            EXPECT_LT(bit.byteIndex, chip.optionByteCount) << bit.name;
            EXPECT_NE(bit.mask, 0);
            EXPECT_EQ(bit.mask & (bit.mask - 1), 0) << bit.name << ": a single bit";
        }
    }
}

TEST(ChipTableShape, SlotRules) {
    for (const auto& chip : table()) {
        SCOPED_TRACE(chip.partName);
        EXPECT_STREQ(chip.items[0].name, "ISP_SIZE");
        EXPECT_STREQ(chip.items[4].name, "NA");
        EXPECT_STREQ(chip.items[5].name, "NA");
        EXPECT_STREQ(chip.bits[12].name, "NA");
        EXPECT_STREQ(chip.bits[13].name, "NA");
        for (int k = 0; k < kItemSlots; ++k) {
            if (k != 1) {
                EXPECT_STRNE(chip.items[k].name, "IAP_SIZE");
            }
            if (k != 2) {
                EXPECT_STRNE(chip.items[k].name, "Trim_Frequency");
            }
        }
        for (const auto& bit : chip.bits) {
            if (std::string_view(bit.name) == "HWENW") {
                EXPECT_EQ(bit.linkedItem, 4u);
                EXPECT_STREQ(chip.items[3].name, "HWPSx");
            } else {
                EXPECT_EQ(bit.linkedItem, 0u) << bit.name;
            }
        }
    }
}

TEST(ChipTableShape, TrimFrequencyExactlyOnTheTrimFamilies) {
    for (const auto& chip : table()) {
        const std::uint8_t f = chip.familyByte();
        const bool trimFamily = f == 0xF8 || f == 0xF9 || f == 0xFA || f == 0xFC;
        EXPECT_EQ(std::string_view(chip.items[2].name) == "Trim_Frequency", trimFamily)
            << chip.partName;
    }
}

// The option vocabulary: item kinds with their places and choices.
TEST(ChipTableShape, ItemVocabulary) {
    const std::set<std::string_view> ispChoices = {
        "0|0x30,1024|0x20,2048|0x10,4096|0x00",
        "0|0x30,1024|0x20,2048|0x10,3072|0x00",
        "0|0x30,1536|0x20,2560|0x10,3584|0x00",
        "0|0xE0,1024|0xC0,1536|0xA0,2048|0x80,2560|0x60,3072|0x40,3584|0x20,4096|0x00",
        "0|0xE0,512|0xC0,1024|0xA0,1536|0x80,2048|0x60,2560|0x40,3072|0x20,3584|0x00",
        "0|0xE2,512|0xC2,1024|0xA2,1536|0x82,2048|0x62,2560|0x42,3072|0x22,3584|0x02,"
        "4096|0xE0,4608|0xC0,5120|0xA0,5632|0x80,6144|0x60,6656|0x40,7168|0x20,7680|0x00"};
    const std::set<std::string_view> trimChoices = {"External,6M,11.0592M,12M,22.1184M,24M,24.576M",
                                                    "External,6M,11.0592M,12M"};
    const std::set<std::string_view> bodChoices = {
        "Detect 4.2V,Detect 3.7V,Detect 2.4V,Detect 2.0V",
        "Detect 4.2V,Detect 3.6V,Detect 2.4V,Detect 2.0V"};
    const std::set<std::string_view> prescalerChoices = {"F/256,F/128,F/64,F/32,F/16,F/8,F/4,F/2",
                                                         "F/128,F/64,F/32,F/16,F/8,F/4,F/2,F/1"};
    int scatteredRows = 0;
    for (const auto& chip : table()) {
        SCOPED_TRACE(chip.partName);
        for (int k = 0; k < kItemSlots; ++k) {
            const ItemDescriptor& item = chip.items[k];
            const std::string_view name = item.name;
            const std::string_view choices = item.choices;
            if (name == "NA") continue;
            if (name == "ISP_SIZE") {
                EXPECT_EQ(item.byteIndex, 0);
                EXPECT_TRUE(item.mask == 0x30 || item.mask == 0xE0 || item.mask == 0xE2);
                EXPECT_TRUE(ispChoices.count(choices)) << choices;
                EXPECT_EQ(item.mask == 0xE2, pieceCount(choices) == 16);
            } else if (name == "IAP_SIZE") {
                EXPECT_TRUE(item.byteIndex == 1 || item.byteIndex == 3);
                EXPECT_EQ(item.mask, 0xFE);
                EXPECT_EQ(choices, "C8051-IAP");
            } else if (name == "Trim_Frequency") {
                EXPECT_EQ(item.byteIndex, 0);
                EXPECT_EQ(item.mask, 0);
                EXPECT_TRUE(trimChoices.count(choices)) << choices;
            } else if (name == "BOD1 level") {
                EXPECT_EQ(k, 2);
                EXPECT_EQ(item.byteIndex, 1);
                EXPECT_EQ(item.mask, 0x03);
                if (std::string_view(item.bitMap) == "NA") {
                    EXPECT_EQ(item.bias, 0);
                    EXPECT_TRUE(bodChoices.count(choices)) << choices;
                } else {
                    ++scatteredRows;
                    EXPECT_STREQ(item.bitMap, "1|0x01,1|0x02,6|0x20,");
                    EXPECT_EQ(item.bias, 2);
                    EXPECT_EQ(
                        choices,
                        "Detect 2.9V,Detect 2.7V,Detect 4.2V,Detect 3.6V,Detect 2.4V,Detect 2.0V");
                }
            } else if (name == "HWPSx") {
                EXPECT_EQ(k, 3);
                EXPECT_TRUE(item.byteIndex >= 2 && item.byteIndex <= 4);
                EXPECT_EQ(item.mask, 0x07);
                EXPECT_TRUE(prescalerChoices.count(choices)) << choices;
            } else {
                ADD_FAILURE() << "item name outside the vocabulary: " << name;
            }
            if (name != "BOD1 level") {
                EXPECT_STREQ(item.bitMap, "NA") << name;
                EXPECT_EQ(item.bias, 0) << name;
            }
        }
    }
    EXPECT_EQ(scatteredRows, 2) << "one family: the EEPROM part";
}

TEST(ChipTableShape, BitDescriptionsAsTheTableGivesThem) {
    const std::map<std::string_view, std::pair<std::string_view, std::string_view>> texts = {
        {"LOCK", {"Lock Device", "设备数据加锁"}},
        {"SB", {"Code dumped is scrambled", "数据加密"}},
        {"MOVCL",
         {"MOVC instruction executed from external program memory is disabled",
          "外部禁用MOVC指令"}},
        {"EN6T", {"Enable 6T mode", "使能6T模式"}},
        {"HWBS", {"When power on, Device will boot from ISP", "上电时,系统从ISP开始执行"}},
        {"HWBS2",
         {"Reset from RST-pin, Device will boot from ISP", "按键复位时,系统从ISP开始执行"}},
        {"OSCDN", {"Reduce the gain of oscillating amplifie", "减小振荡放大增益"}},
        {"AUX_RAM", {"Disable the internal auxiliary RAM", "禁止使用内部扩展RAM"}},
        {"FZWDTCR",
         {"Initialized the WDTCR register to power on reset value",
          "仅在上电复位时初始化WDTCR寄存器"}},
        {"ENLVR", {"Enable low voltage reset when Vdd less then 2.5V", "使能低压复位(VDD<2.5V)"}},
        {"ENLVRC", {"Enable low voltage reset when Vdd less then 2.5V", "使能低压复位(VDD<2.5V)"}},
        {"ENLVRO", {"Enable low voltage reset when Vdd less then 3.7V", "使能低压复位(VDD<3.7V)"}},
        {"LVFWP", {"Flash write at low voltage will be denied", "低电压时禁止对Flash进行写操作"}},
        {"BODWP", {"Flash write at low voltage will be denied", "低电压时禁止对Flash进行写操作"}},
        {"ENROSC", {"Used the internal 6MHz oscillator", "使能内建6MHz RC振荡器"}},
        {"HWWIDL", {"Keep WDT counting under idle mode", "空闲模式下保持WDT计数"}},
        {"HWENW", {"Power on enable the WDT", "上电时,由硬件使能看门狗"}},
        {"WDSFWP", {"Writing WDTCR will be denied", "WDTCR寄存器写保护"}},
        {"P40IOE", {"P40 Input Only after Power On Reset", "上电复位后, P40端口为输入口"}},
        {"P41IOE", {"P41 Input Only after Power On Reset", "上电复位后, P41端口为输入口"}},
        {"BODRE", {"Enable low voltage reset", "使能低电压复位"}},
        {"WDTRCO", {"Enable RC Oscillator for WDT", "为看门狗使能RC振荡器"}},
        {"BO0REO", {"BOD0 RESET enable", "使能BOD0复位"}},
        {"BO1REO", {"BOD1 RESET enable", "使能BOD1复位"}},
        {"WRENO", {"WDT RESET enable", "使能WDT复位"}},
        {"NSWDT", {"Non-Stopped WDT enable", "使能掉电或空闲模式下WDT不停止"}},
    };
    for (const auto& chip : table()) {
        for (const auto& bit : chip.bits) {
            if (std::string_view(bit.name) == "NA") continue;
            const auto found = texts.find(bit.name);
            ASSERT_NE(found, texts.end())
                << chip.partName << ": " << bit.name << " is outside the vocabulary";
            const std::string_view english = bit.description;
            const std::string_view chinese = bit.description + english.size() + 1;
            EXPECT_EQ(english, found->second.first) << bit.name;
            EXPECT_EQ(chinese, found->second.second) << bit.name;
        }
    }
}

// The two telling layouts: the oldest and the newest family.
TEST(ChipTableShape, OldestFamilyLayout) {
    const ChipRecord& chip = table()[0];
    EXPECT_STREQ(chip.defaultOptions, "0xF8,0xFF");
    EXPECT_EQ(chip.optionByteCount, 2u);
    EXPECT_EQ(chip.items[0].mask, 0x30);
    const std::vector<std::tuple<std::string_view, int, int>> expected = {
        {"LOCK", 0, 0x01}, {"SB", 0, 0x02},    {"MOVCL", 0, 0x04},   {"EN6T", 1, 0x01},
        {"HWBS", 1, 0x02}, {"OSCDN", 1, 0x10}, {"AUX_RAM", 1, 0x40}, {"FZWDTCR", 1, 0x80}};
    for (std::size_t j = 0; j < expected.size(); ++j) {
        EXPECT_EQ(chip.bits[j].name, std::get<0>(expected[j]));
        EXPECT_EQ(chip.bits[j].byteIndex, std::get<1>(expected[j]));
        EXPECT_EQ(chip.bits[j].mask, std::get<2>(expected[j]));
    }
    for (std::size_t j = expected.size(); j < kBitSlots; ++j)
        EXPECT_STREQ(chip.bits[j].name, "NA");
}

TEST(ChipTableShape, NewestFamilyLayout) {
    int newest = 0;
    for (const auto& chip : table()) {
        if (chip.items[0].mask != 0xE2) continue;
        ++newest;
        SCOPED_TRACE(chip.partName);
        EXPECT_TRUE(chip.optionByteCount == 7 || chip.optionByteCount == 9);
        EXPECT_STREQ(chip.items[1].name, "IAP_SIZE");
        EXPECT_EQ(chip.items[1].byteIndex, 3);
        EXPECT_STREQ(chip.items[2].name, "BOD1 level");
        EXPECT_STREQ(chip.items[3].name, "HWPSx");
        EXPECT_EQ(chip.items[3].byteIndex, 2);
        std::map<std::string_view, std::pair<int, int>> bits;
        for (const auto& bit : chip.bits)
            bits[bit.name] = {bit.byteIndex, bit.mask};
        const std::map<std::string_view, std::pair<int, int>> expected = {
            {"HWBS", {0, 0x08}},   {"LOCK", {0, 0x10}},   {"HWBS2", {1, 0x20}},
            {"BO0REO", {1, 0x40}}, {"BO1REO", {1, 0x80}}, {"HWWIDL", {2, 0x08}},
            {"WRENO", {2, 0x10}},  {"HWENW", {2, 0x20}},  {"NSWDT", {2, 0x40}},
            {"WDSFWP", {2, 0x80}}};
        for (const auto& [name, place] : expected)
            EXPECT_EQ(bits[name], place) << name;
    }
    EXPECT_GT(newest, 0);
}

// Descriptors of one chip never share a bit, and the trim encoding's bits are
// free on the trim families, so every option can be set on its own.
TEST(ChipTableShape, DescriptorsDoNotOverlap) {
    for (const auto& chip : table()) {
        SCOPED_TRACE(chip.partName);
        std::array<std::uint8_t, 9> used{};
        auto claim = [&](int byte, int mask, std::string_view who) {
            ASSERT_LT(byte, 9);
            EXPECT_EQ(used[byte] & mask, 0) << who;
            used[byte] |= static_cast<std::uint8_t>(mask);
        };
        for (const auto& item : chip.items) {
            const std::string_view name = item.name;
            if (name == "NA" || name == "Trim_Frequency") continue;
            if (std::string_view(item.bitMap) == "NA") {
                claim(item.byteIndex, item.mask, name);
            } else {
                forEachPiece(item.bitMap, [&](std::string_view piece, int) {
                    const auto bar = piece.find('|');
                    claim(std::stoi(std::string(piece.substr(0, bar))),
                          static_cast<int>(
                              std::stoul(std::string(piece.substr(bar + 1)), nullptr, 16)),
                          name);
                    return true;
                });
            }
        }
        for (const auto& bit : chip.bits) {
            if (std::string_view(bit.name) != "NA") claim(bit.byteIndex, bit.mask, bit.name);
        }
        switch (chip.familyByte()) {
        case 0xF8:
        case 0xF9:
            EXPECT_EQ(used[1] & 0x62, 0);
            break;
        case 0xFA:
            EXPECT_EQ(used[0] & 0x03, 0);
            EXPECT_EQ(used[1] & 0x08, 0);
            break;
        case 0xFC:
            EXPECT_EQ(used[1] & 0x08, 0);
            break;
        default:
            break;
        }
    }
}

// Plausible defaults: the ISP code is one of the pairs; LOCK and SB are off
// except on the oldest family (defaults "0xF8,0xFF").
TEST(ChipTableShape, DefaultsArePlausible) {
    for (std::size_t n = 0; n < table().size(); ++n) {
        const ChipRecord& chip = table()[n];
        SCOPED_TRACE(chip.partName);
        ContextRecord ctx{};
        ctx.partIndex = static_cast<std::int32_t>(n);
        ctx.itemValue[0] = -7;
        std::vector<std::uint8_t> bytes(chip.optionByteCount);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = DefaultOptionByte(ctx.partIndex, static_cast<int>(i));
        DecodeOptions(ctx, bytes.data());
        EXPECT_NE(ctx.itemValue[0], -7) << "the default ISP code matches a pair";
        const bool oldest = std::string_view(chip.defaultOptions) == "0xF8,0xFF";
        for (int j = 0; j < kBitSlots; ++j) {
            const std::string_view name = chip.bits[j].name;
            if (name == "LOCK" || name == "SB") {
                EXPECT_EQ(ctx.bitValue[j], oldest ? 1u : 0u) << name;
            }
        }
        if (oldest) {
            EXPECT_EQ(chip.items[0].mask, 0x30);
        }
    }
}

} // namespace
} // namespace scriba8
