// SPDX-License-Identifier: MIT
// Writes the fuzzer's seed files: settings blocks as OffLineMode builds them
// for chips of each kind, one in the older layout, one with counters the
// programmer advanced, and erased memory, each padded to the read length as
// the programmer returns it. Usage: write_offline_seeds <folder>
#include "chips/chip_table.h"
#include "chips/options.h"
#include "project/offline_settings.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes blockFor(const char* part, std::uint16_t steps, std::uint32_t eepromLength) {
    std::int32_t row = 0;
    while (std::strcmp(scriba8::chipAt(row)->partName, part) != 0) ++row;
    const scriba8::ChipRecord& chip = *scriba8::chipAt(row);
    ContextRecord ctx{};
    ctx.partIndex = row;
    ctx.flashLength = chip.flashSize / 2;
    ctx.flashChecksum = 0x5A5A;
    ctx.flashFullChecksum = 0xA5A5;
    ctx.eepromLength = eepromLength;
    ctx.eepromChecksum = eepromLength != 0 ? 0x1234 : 0;
    ctx.autoProcess = steps;
    ctx.serialFlags = 0x03;
    ctx.serialAddress = chip.flashSize - 16;
    std::memset(ctx.serialString, 0xFF, sizeof ctx.serialString);
    std::memcpy(ctx.serialString, "LOT7-", 5);
    ctx.serialNumber = 1000;
    ctx.maxCounter = 250;
    scriba8::TrimWordFromSelection(ctx);
    scriba8::OptionBlock options(chip.optionByteCount, 0xFF);
    scriba8::EncodeOptions(ctx, options);
    return scriba8::buildOffLineSettings(ctx, chip, options);
}

// The same block in the older layout: no EEPROM fields, the rest 10 bytes lower.
Bytes asLayout1(const Bytes& layout2) {
    Bytes b(layout2.begin(), layout2.begin() + 20);
    b.insert(b.end(), layout2.begin() + 30, layout2.end());
    b[2] = static_cast<std::uint8_t>(b.size());
    b[3] = static_cast<std::uint8_t>(b.size() >> 8);
    b[4] = 1;
    std::uint32_t sum = 0;
    for (std::size_t i = 2; i < b.size(); ++i) sum += b[i];
    b[0] = static_cast<std::uint8_t>(sum);
    b[1] = static_cast<std::uint8_t>(sum >> 8);
    return b;
}

bool write(const std::string& folder, const char* name, Bytes bytes) {
    bytes.resize(scriba8::kOffLineReadLength, 0xFF);
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const Bytes seven = blockFor("VS8F116", S8_DEFAULT_AUTO_PROCESS, 0);
    Bytes counted = seven;
    counted[52] = 17; // the programmer numbered 17 chips and counted 17
    counted[58] = 17;
    bool ok = write(folder, "seven_option_bytes.bin", seven);
    ok = write(folder, "chip_checksum.bin", blockFor("VS8F116", 0x809F, 0)) && ok;
    ok = write(folder, "eeprom.bin", blockFor("VS8K116", 0x005F, 512)) && ok;
    ok = write(folder, "two_option_bytes.bin", blockFor("VS8A116", S8_DEFAULT_AUTO_PROCESS, 0)) && ok;
    ok = write(folder, "trim.bin", blockFor("VS8B116", S8_DEFAULT_AUTO_PROCESS, 0)) && ok;
    ok = write(folder, "layout1.bin", asLayout1(seven)) && ok;
    ok = write(folder, "counters_advanced.bin", counted) && ok;
    ok = write(folder, "erased.bin", {}) && ok;
    if (!ok) std::fprintf(stderr, "cannot write the seeds into %s\n", folder.c_str());
    return ok ? 0 : 1;
}
