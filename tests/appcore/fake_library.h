// SPDX-License-Identifier: MIT
// A scripted stand-in for the device library: a two-chip table and exports
// that record how they were called and answer as the test says.
#pragma once

#include "library_api.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace scriba8::test {

// Row 0: 0x2000 bytes Flash, 512 bytes EEPROM, stored checksum supported.
// Row 1: 0x4000 bytes Flash, no EEPROM.
inline constexpr std::int32_t kChipWithEeprom = 0;
inline constexpr std::int32_t kChipWithoutEeprom = 1;

// One export call as the fake saw it, taken when the call started.
struct Call {
    std::string name;
    const ContextRecord* record = nullptr; // the record passed
    ContextRecord seen{};                  // copy of it
    std::vector<std::uint8_t> flash;       // flashData contents
    std::vector<std::uint8_t> eeprom;      // eepromData contents
    std::uint16_t checksumIn = 0;          // ReadCheckSum's preset
};

struct FakeLibrary {
    std::vector<Call> calls;
    // Result per export name; missing names pass.
    std::function<std::int32_t(const std::string& name, ContextRecord& record)> behave;
    bool writeFinalCode = true; // leave the result in the status word

    std::vector<std::string> names() const;
};

// The fake behind the returned table; reset for every test.
FakeLibrary& Fake();
void ResetFake();
app::LibraryApi FakeApi();

} // namespace scriba8::test
