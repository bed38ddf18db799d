// SPDX-License-Identifier: MIT
// The virtual programmer's state file: what one process saves, the next one
// loads unchanged, and a damaged line is refused by its name.
#include "sim/virtual_programmer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

namespace scriba8::sim {
namespace {

// A part with EEPROM, so every memory line has bytes.
const ChipRecord& partWithEeprom() {
    const auto table = chipTable();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [](const ChipRecord& chip) { return chip.eepromSize != 0; });
    return *it;
}

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return bytes;
}

// A programmer with every lasting field away from what a new one has.
std::string everythingChanged() {
    VirtualProgrammer programmer;
    // The boot-loader personality is reached only through a firmware update
    // or a saved state.
    std::string boot = programmer.saveState();
    boot.replace(boot.find("personality normal"), 18, "personality boot-loader");
    EXPECT_TRUE(programmer.loadState(boot));
    programmer.firmware() = {0x12AB34CD, 0xBEEF, false};
    VirtualChip& chip = programmer.socket().emplace(partWithEeprom());
    chip.flash = pattern(chip.flash.size(), 1);
    chip.eeprom = pattern(chip.eeprom.size(), 2);
    const auto options = pattern(chip.options.size(), 3);
    std::copy(options.begin(), options.end(), chip.options.begin());
    chip.locked = true;
    chip.scrambled = true;
    chip.trimmedFrequency = 26; // read as hexadecimal it would come back as 38
    programmer.offLine() = {0x00012345, pattern(300, 4), pattern(256, 5)};
    return programmer.saveState();
}

TEST(StateFile, EveryFieldSurvivesSaveAndLoad) {
    const std::string saved = everythingChanged();
    VirtualProgrammer loaded;
    ASSERT_TRUE(loaded.loadState(saved));

    EXPECT_EQ(loaded.personality(), Personality::BootLoader);
    EXPECT_EQ(loaded.firmware().main, 0x12AB34CDu);
    EXPECT_EQ(loaded.firmware().aux, 0xBEEF);
    EXPECT_FALSE(loaded.firmware().supports8051);
    ASSERT_TRUE(loaded.socket().has_value());
    const VirtualChip& chip = *loaded.socket();
    EXPECT_EQ(&chip.record(), &partWithEeprom());
    EXPECT_EQ(chip.flash, pattern(chip.record().flashSize, 1));
    EXPECT_EQ(chip.eeprom, pattern(chip.record().eepromSize, 2));
    const auto options = pattern(VirtualChip::kOptionAreaSize, 3);
    EXPECT_TRUE(std::equal(chip.options.begin(), chip.options.end(), options.begin()));
    EXPECT_TRUE(chip.locked);
    EXPECT_TRUE(chip.scrambled);
    EXPECT_EQ(chip.trimmedFrequency, 26);
    EXPECT_EQ(loaded.offLine().imageAddress, 0x00012345u);
    EXPECT_EQ(loaded.offLine().image, pattern(300, 4));
    EXPECT_EQ(loaded.offLine().settings, pattern(256, 5));
    EXPECT_TRUE(loaded.saveState() == saved); // the text is long to print
}

using Change = std::function<std::optional<std::string>(const std::string&)>;

Change to(std::string value) {
    return [value](const std::string&) { return value; };
}
Change shorter(std::size_t digits) {
    return [digits](const std::string& value) { return value.substr(0, value.size() - digits); };
}
Change longer(std::string digits) {
    return [digits](const std::string& value) { return value + digits; };
}
Change startingWith(std::string start) {
    return [start](const std::string& value) { return start + value.substr(start.size()); };
}
const Change removed = [](const std::string&) { return std::nullopt; };

// The saved text with one line's value changed, or the line removed.
std::string withLine(std::string text, const std::string& key, const Change& change) {
    const std::size_t start = text.find("\n" + key + " ") + 1;
    const std::size_t end = text.find('\n', start);
    const std::string value = text.substr(start + key.size() + 1, end - start - key.size() - 1);
    const std::optional<std::string> changed = change(value);
    text.replace(start, end + 1 - start, changed ? key + " " + *changed + "\n" : "");
    return text;
}

// Each line with a wrong length or form, one byte short and one byte long
// included, is refused by its name and changes nothing.
TEST(StateFile, AWrongLineIsRefusedByItsName) {
    const std::string good = everythingChanged();
    const struct {
        const char* key;
        Change change;
    } cases[] = {
        {"personality", to("bootloader")},   {"personality", removed},
        {"firmware", shorter(1)},            {"firmware", longer("0")},
        {"firmware", startingWith("1234567G")}, {"firmware", to("12AB34CD-BEEF 0")},
        {"firmware", to("12AB34CD BEEF 2")}, {"firmware", removed},
        {"chip", to("VS8G13")},              {"locked", to("2")},
        {"locked", to("")},                  {"locked", removed},
        {"scrambled", to("yes")},            {"scrambled", removed},
        {"trim", to("256")},                 {"trim", to("-2")},
        {"trim", to("1a")},                  {"trim", to("")},
        {"trim", removed},                   {"flash", shorter(2)},
        {"flash", longer("FF")},             {"flash", shorter(1)},
        {"flash", startingWith("G0")},       {"flash", removed},
        {"eeprom", shorter(2)},              {"eeprom", longer("FF")},
        {"eeprom", startingWith("-1")},      {"eeprom", removed},
        {"options", shorter(2)},             {"options", longer("FF")},
        {"options", longer("F")},            {"options", removed},
        {"offline-address", shorter(1)},     {"offline-address", longer("0")},
        {"offline-address", to("0001234G")}, {"offline-address", removed},
        {"offline-image", shorter(1)},       {"offline-image", startingWith("+1")},
        {"offline-image", removed},          {"offline-settings", longer("A")},
        {"offline-settings", startingWith(" A")}, {"offline-settings", removed},
    };
    for (const auto& c : cases) {
        const std::string bad = withLine(good, c.key, c.change);
        SCOPED_TRACE(::testing::Message() << c.key << ", case " << &c - cases);
        ASSERT_NE(bad, good);
        VirtualProgrammer programmer;
        const std::string before = programmer.saveState();
        std::string refused;
        EXPECT_FALSE(programmer.loadState(bad, &refused));
        EXPECT_EQ(refused, c.key);
        EXPECT_EQ(programmer.saveState(), before);
    }

    // The first line says what the file is.
    for (const std::string& bad : {std::string(), "scriba8-virtual-programmer 2" + good.substr(good.find('\n'))}) {
        VirtualProgrammer programmer;
        std::string refused;
        EXPECT_FALSE(programmer.loadState(bad, &refused));
        EXPECT_EQ(refused, "scriba8-virtual-programmer");
    }
}

} // namespace
} // namespace scriba8::sim
