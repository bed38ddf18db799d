// SPDX-License-Identifier: MIT
// Shared set-up for the chip-operation tests: the link fixture (a fresh
// virtual programmer, a manual clock) plus ways to pick chips and to read
// back what the virtual programmer received.
#pragma once

#include "link_fixture.h"

#include "export_impl.h"
#include "sim/virtual_chip.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace scriba8::testing {

using CommandBytes = sim::VirtualProgrammer::CommandBytes;

inline const BitDescriptor* bitNamed(const ChipRecord& chip, const char* name) {
    for (const BitDescriptor& bit : chip.bits) {
        if (std::strcmp(bit.name, name) == 0) return &bit;
    }
    return nullptr;
}

inline std::vector<std::uint8_t> randomBytes(std::size_t n, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(n);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

inline std::uint16_t sum16(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

inline std::uint32_t u32At(const CommandBytes& c, std::size_t at) {
    return c[at] | c[at + 1] << 8 | c[at + 2] << 16 | std::uint32_t{c[at + 3]} << 24;
}

inline std::uint16_t u16At(const CommandBytes& c, std::size_t at) {
    return static_cast<std::uint16_t>(c[at] | c[at + 1] << 8);
}

class OperationsTest : public LinkTest {
protected:
    // Selects the first chip that satisfies pred; fails the test when none does.
    const ChipRecord& selectChip(const std::function<bool(const ChipRecord&)>& pred) {
        ctx_.partIndex = chipIndexWhere(pred);
        EXPECT_GE(ctx_.partIndex, 0) << "no such chip in the table";
        if (ctx_.partIndex < 0) ctx_.partIndex = 0;
        return *chipAt(ctx_.partIndex);
    }

    // Puts the selected chip in the socket now, to be prepared by the test.
    sim::VirtualChip& socketChip() {
        device().pinChip(chipAt(ctx_.partIndex));
        return *device().socket();
    }

    // The result, in the return value and the status word, with the link closed.
    void expectResult(std::int32_t got, std::int32_t expected) {
        EXPECT_EQ(got, expected);
        EXPECT_EQ(status_, expected);
        EXPECT_FALSE(ProgrammerIsOpen());
    }

    // The commands the programmer received, as "op/area" such as "07/01".
    std::vector<std::string> commandNames() const {
        std::vector<std::string> names;
        for (const CommandBytes& c : device().commands()) {
            char name[8];
            std::snprintf(name, sizeof name, "%02X/%02X", c[2], c[3]);
            names.emplace_back(name);
        }
        return names;
    }

    // The last command of this kind; all zeros when there was none.
    CommandBytes lastCommand(std::uint8_t operation, std::uint8_t area) const {
        const auto& all = device().commands();
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if ((*it)[2] == operation && (*it)[3] == area) return *it;
        }
        ADD_FAILURE() << "no command " << int{operation} << "/" << int{area};
        return {};
    }

    // Number of data reports taken from the programmer (the firmware query's
    // included).
    std::size_t getReports() const { return traceLinesStartingWith("GET ").size(); }

    void useImage(std::vector<std::uint8_t>& image) {
        ctx_.flashData = image.data();
        ctx_.flashLength = static_cast<std::uint32_t>(image.size());
        ctx_.flashChecksum = sum16(image);
    }

    void useEeprom(std::vector<std::uint8_t>& image) {
        ctx_.eepromData = image.data();
        ctx_.eepromLength = static_cast<std::uint32_t>(image.size());
        ctx_.eepromChecksum = sum16(image);
    }

    // Faults and status waits from before do not count.
    void freshDevice() {
        device().faults() = {};
        const std::int32_t index = ctx_.partIndex;
        device().reset();
        device().environmentApplied = true;
        ctx_.partIndex = index;
    }

    std::mt19937 random_{20240611};
};

} // namespace scriba8::testing
