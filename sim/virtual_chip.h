// SPDX-License-Identifier: MIT
// A target chip in the virtual programmer's socket: its memories, its option
// area and the lock and scramble state those options give it.
#pragma once

#include "chips/chip_table.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace scriba8::sim {

class VirtualChip {
public:
    // Option area as the programmer reads it: the option bytes, then room for
    // the stored code checksum (bytes 14-15) and more.
    static constexpr std::size_t kOptionAreaSize = 32;

    // A chip as it comes from the factory: memories blank, default options
    // with lock and security released.
    explicit VirtualChip(const ChipRecord& record);

    const ChipRecord& record() const { return *record_; }
    // Same silicon as another row (the low-voltage and 5-volt rows of a part).
    void relabel(const ChipRecord& record) { record_ = &record; }

    // Reply to the read-identity command.
    std::array<std::uint8_t, 5> identity() const;

    void eraseFlash(std::uint32_t bytes);
    void eraseEeprom(std::uint32_t bytes);
    void eraseAll(); // memories and options; clears lock and scramble

    // Programming only clears bits, as Flash does. False when the range does
    // not fit the memory.
    bool programFlash(std::uint32_t address, std::span<const std::uint8_t> data);
    bool programEeprom(std::uint32_t address, std::span<const std::uint8_t> data);
    void writeOptions(std::span<const std::uint8_t> bytes);
    // The internal oscillator reaches the frequencies its family offers in
    // the "Trim_Frequency" item; index as in the trim word.
    bool canTrimTo(std::uint8_t frequencyIndex) const;

    // What the programmer reads back: scrambled while the security bit is
    // on, zeros while the chip is locked; 0xFF beyond the memory.
    std::vector<std::uint8_t> readFlash(std::uint32_t length) const;
    std::vector<std::uint8_t> readEeprom(std::uint32_t length) const;
    std::vector<std::uint8_t> readOptions(std::uint32_t length) const;

    std::vector<std::uint8_t> flash;
    std::vector<std::uint8_t> eeprom;
    std::array<std::uint8_t, kOptionAreaSize> options;
    bool locked = false;
    bool scrambled = false;
    int trimmedFrequency = -1; // index of the last trim, -1 = none

private:
    bool optionActive(const char* name) const;
    std::vector<std::uint8_t> readMemory(const std::vector<std::uint8_t>& memory,
                                         std::uint32_t length) const;

    const ChipRecord* record_;
};

} // namespace scriba8::sim
