// SPDX-License-Identifier: MIT
#include "sim/virtual_chip.h"

#include "chips/option_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace scriba8::sim {
namespace {

bool twoByteIdentityFamily(std::uint8_t family) {
    switch (family) {
    case 0xF0: case 0xF1: case 0xF2: case 0xF3: case 0xF4: case 0xF5:
    case 0xF7: case 0xF8: case 0xF9: case 0xFA: case 0xFC:
        return true;
    default:
        return false;
    }
}

// "0xF8,0xFF" -> F8 FF; missing tokens stay 0xFF.
void parseDefaults(const char* text, std::span<std::uint8_t> out) {
    std::size_t i = 0;
    for (const char* p = text; p != nullptr && *p != '\0' && i < out.size(); ++i) {
        char* end = nullptr;
        out[i] = static_cast<std::uint8_t>(std::strtoull(p, &end, 0));
        if (end == p) break;
        p = std::strchr(end, ',');
        if (p != nullptr) ++p;
    }
}

// The frequencies a trim can ask for, by index of the trim word.
constexpr std::array<std::string_view, 9> kFrequencies{
    "External", "6M", "8M", "11.0592M", "12M", "20M", "22.1184M", "24M", "24.576M"};

bool program(std::vector<std::uint8_t>& memory, std::uint32_t address,
             std::span<const std::uint8_t> data) {
    if (address > memory.size() || data.size() > memory.size() - address) return false;
    for (std::size_t i = 0; i < data.size(); ++i) memory[address + i] &= data[i];
    return true;
}

} // namespace

VirtualChip::VirtualChip(const ChipRecord& record)
    : flash(record.flashSize, 0xFF), eeprom(record.eepromSize, 0xFF), record_(&record) {
    options.fill(0xFF);
    parseDefaults(record.defaultOptions,
                  std::span(options).first(std::min<std::size_t>(record.optionByteCount,
                                                                 kOptionAreaSize)));
    for (const BitDescriptor& bit : record.bits) {
        const bool releasable = bit.name != nullptr && (std::strcmp(bit.name, "LOCK") == 0 ||
                                                        std::strcmp(bit.name, "SB") == 0);
        if (releasable && bit.byteIndex < kOptionAreaSize) options[bit.byteIndex] |= bit.mask;
    }
}

std::array<std::uint8_t, 5> VirtualChip::identity() const {
    const std::uint8_t family = record_->familyByte();
    return {record_->productByte(), family,
            static_cast<std::uint8_t>(twoByteIdentityFamily(family) ? 0x00 : 0x05), 0x00, 0x00};
}

void VirtualChip::eraseFlash(std::uint32_t bytes) {
    std::fill_n(flash.begin(), std::min<std::size_t>(bytes, flash.size()), std::uint8_t{0xFF});
}

void VirtualChip::eraseEeprom(std::uint32_t bytes) {
    std::fill_n(eeprom.begin(), std::min<std::size_t>(bytes, eeprom.size()), std::uint8_t{0xFF});
}

void VirtualChip::eraseAll() {
    std::fill(flash.begin(), flash.end(), std::uint8_t{0xFF});
    std::fill(eeprom.begin(), eeprom.end(), std::uint8_t{0xFF});
    options.fill(0xFF);
    locked = false;
    scrambled = false;
}

bool VirtualChip::programFlash(std::uint32_t address, std::span<const std::uint8_t> data) {
    return program(flash, address, data);
}

bool VirtualChip::programEeprom(std::uint32_t address, std::span<const std::uint8_t> data) {
    return program(eeprom, address, data);
}

void VirtualChip::writeOptions(std::span<const std::uint8_t> bytes) {
    std::copy_n(bytes.begin(), std::min(bytes.size(), options.size()), options.begin());
    // Lock and security take effect with the options that switch them on and
    // are only lifted by erasing the whole chip.
    locked = locked || optionActive("LOCK");
    scrambled = scrambled || optionActive("SB");
}

bool VirtualChip::canTrimTo(std::uint8_t frequencyIndex) const {
    // Index 0 is the external clock: nothing to trim.
    if (frequencyIndex == 0 || frequencyIndex >= kFrequencies.size()) return false;
    for (const ItemDescriptor& item : record_->items) {
        if (item.name == nullptr || std::strcmp(item.name, "Trim_Frequency") != 0) continue;
        bool offered = false;
        option_text::forEachPiece(item.choices, [&](std::string_view label, int) {
            offered = label == kFrequencies[frequencyIndex];
            return !offered;
        });
        return offered;
    }
    return false;
}

bool VirtualChip::optionActive(const char* name) const {
    for (const BitDescriptor& bit : record_->bits) {
        if (bit.name != nullptr && std::strcmp(bit.name, name) == 0 && bit.byteIndex < options.size()) {
            return (options[bit.byteIndex] & bit.mask) == 0; // options are active-low
        }
    }
    return false;
}

std::vector<std::uint8_t> VirtualChip::readMemory(const std::vector<std::uint8_t>& memory,
                                                  std::uint32_t length) const {
    std::vector<std::uint8_t> out(length, 0xFF);
    const std::size_t n = std::min<std::size_t>(length, memory.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (locked) {
            out[i] = 0x00;
        } else if (scrambled) {
            out[i] = static_cast<std::uint8_t>(memory[i] ^ (0xA5 + i * 29));
        } else {
            out[i] = memory[i];
        }
    }
    return out;
}

std::vector<std::uint8_t> VirtualChip::readFlash(std::uint32_t length) const {
    return readMemory(flash, length);
}

std::vector<std::uint8_t> VirtualChip::readEeprom(std::uint32_t length) const {
    return readMemory(eeprom, length);
}

std::vector<std::uint8_t> VirtualChip::readOptions(std::uint32_t length) const {
    std::vector<std::uint8_t> out(length, 0xFF);
    std::copy_n(options.begin(), std::min<std::size_t>(length, options.size()), out.begin());
    return out;
}

} // namespace scriba8::sim
