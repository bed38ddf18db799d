// SPDX-License-Identifier: MIT
#include "fake_chips.h"

namespace scriba8::test {
namespace {

constexpr OptionItem kNoItem{"NA", "", 0};
constexpr OptionBit kNoBit{"NA", 0, "", 0};

OptionBit Bit(const char* name, const char* description, std::uint32_t value = 0,
              std::uint32_t linked = 0) {
    return OptionBit{name, linked, description, value};
}

BodyInfo Row(const char* name, std::uint32_t series, std::uint32_t flash, std::uint32_t eeprom,
             std::uint32_t checksum) {
    BodyInfo row{};
    row.partName = name;
    row.seriesMask = 1u << series;
    row.flashSize = flash;
    row.eepromSize = eeprom;
    row.chipChecksumSupported = checksum;
    for (OptionItem& item : row.items) item = kNoItem;
    for (OptionBit& bit : row.bits) bit = kNoBit;
    return row;
}

const BodyInfo* Table() {
    static const BodyInfo* rows = [] {
        static BodyInfo table[kFakeRowCount];
        table[kChip8K] = Row("FAKE8K", 0, 0x2000, 0, 0);
        table[kChip8K].items[0] = {"ISP_SIZE", "0|0x30,1024|0x20,2048|0x10,4096|0x00", 0};
        table[kChip8K].items[1] = {"IAP_SIZE", "C8051-IAP", 0};
        table[kChip8K].bits[0] = Bit("LOCK", "Lock the code\0加密锁定", 1);

        table[kChipEeprom] = Row("FAKEE2", 0, 0x3C00, 512, 1);
        table[kChipEeprom].items[0] = {"ISP_SIZE", "0|0x30,1024|0x20", 0};
        table[kChipEeprom].items[2] = {"Trim_Frequency", "22.1184MHz,24MHz,12MHz", 1};
        table[kChipEeprom].bits[0] = Bit("HWBS", "Boot from the ISP area\0从ISP区启动");
        table[kChipEeprom].bits[1] = Bit("LOCK", "Lock the code\0加密锁定", 1);

        table[kChip64K] = Row("FAKE64K", 2, 0x10000, 0, 1);
        table[kChip64K].items[0] = {"ISP_SIZE", "0|0xE2,1024|0xC2,2048|0xA2", 0};
        table[kChip64K].items[1] = {"IAP_SIZE", "C8051-IAP", 0};
        table[kChip64K].items[2] = {"BOD1 level", "Detect 4.2V,Detect 3.7V,Detect 2.8V", 0};
        table[kChip64K].items[3] = {"HWPSx", "F/256,F/128,F/64", 0};
        table[kChip64K].bits[0] = Bit("HWENW", "Hardware watchdog\0硬件看门狗", 0, 4);
        table[kChip64K].bits[1] = Bit("LOCK", "Lock the code\0加密锁定");

        table[kChip16K] = Row("FAKE16K", 2, 0x4000, 0, 0);
        table[kChip16K].items[0] = {"ISP_SIZE", "0|0x30,1024|0x20,4096|0x00", 0};
        table[kChip16K].items[1] = {"IAP_SIZE", "C8051-IAP", 0};

        table[kChipOddSeries] = Row("FAKEODD", 15, 0x1000, 0, 0);
        return table;
    }();
    return rows;
}

std::int32_t FakeBodyInfo(const BodyInfo** first) {
    *first = Table();
    return kFakeRowCount;
}

std::int32_t NoBodyInfo(const BodyInfo** first) {
    *first = nullptr;
    return 0;
}

void FakeDllInfo(std::uint32_t* version, std::uint32_t* edition) {
    *version = 0x0105000F;
    *edition = 1;
}

} // namespace

app::LibraryApi FakeChipApi() {
    app::LibraryApi api;
    api.GetBodyInfo = FakeBodyInfo;
    api.GetDLLInfo = FakeDllInfo;
    return api;
}

app::LibraryApi EmptyChipApi() {
    app::LibraryApi api = FakeChipApi();
    api.GetBodyInfo = NoBodyInfo;
    return api;
}

} // namespace scriba8::test
