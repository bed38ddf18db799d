// SPDX-License-Identifier: MIT
// The virtual programmer's lasting state as text, one "key value" per line,
// so separate processes (CLI runs, the application) share one programmer.
#include "sim/virtual_programmer.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

namespace scriba8::sim {
namespace {

constexpr std::string_view kHeader = "scriba8-virtual-programmer 1";

std::string hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> unhex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> out(text.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto [end, error] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, out[i], 16);
        if (error != std::errc{} || end != text.data() + 2 * i + 2) return std::nullopt;
    }
    return out;
}

// A number of exactly digits hexadecimal digits, as saveState writes it.
template <typename T> std::optional<T> fixedHex(std::string_view text, std::size_t digits) {
    T value{};
    if (text.size() != digits) return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> flag(std::string_view text) {
    if (text == "0") return false;
    if (text == "1") return true;
    return std::nullopt;
}

// The index of the last trim, or -1 for none.
std::optional<int> trimIndex(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < -1 ||
        value > 0xFF)
        return std::nullopt;
    return value;
}

} // namespace

std::string VirtualProgrammer::saveState() const {
    std::string out(kHeader);
    out += '\n';
    auto line = [&](std::string_view key, const std::string& value) {
        out.append(key).append(" ").append(value).append("\n");
    };
    char version[32];
    std::snprintf(version, sizeof version, "%08X %04X %d", static_cast<unsigned>(firmware_.main),
                  static_cast<unsigned>(firmware_.aux), firmware_.supports8051 ? 1 : 0);
    line("personality", personality_ == Personality::Normal ? "normal" : "boot-loader");
    line("firmware", version);
    if (socket_) {
        line("chip", socket_->record().partName);
        line("locked", socket_->locked ? "1" : "0");
        line("scrambled", socket_->scrambled ? "1" : "0");
        line("trim", std::to_string(socket_->trimmedFrequency));
        line("flash", hex(socket_->flash));
        line("eeprom", hex(socket_->eeprom));
        line("options", hex(socket_->options));
    }
    char address[16];
    std::snprintf(address, sizeof address, "%08X", static_cast<unsigned>(offLine_.imageAddress));
    line("offline-address", address);
    line("offline-image", hex(offLine_.image));
    line("offline-settings", hex(offLine_.settings));
    return out;
}

bool VirtualProgrammer::loadState(std::string_view text, std::string* refused) {
    std::string unused;
    std::string& field = refused != nullptr ? *refused : unused;
    field.clear();
    const auto refuse = [&field](std::string_view name) {
        field = name;
        return false;
    };

    std::map<std::string, std::string, std::less<>> values;
    bool first = true;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (first) {
            if (line != kHeader) return refuse(kHeader.substr(0, kHeader.find(' ')));
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const auto space = line.find(' ');
        const std::string_view key = line.substr(0, space);
        values[std::string(key)] = space == std::string_view::npos ? "" : std::string(line.substr(space + 1));
    }
    if (first) return refuse(kHeader.substr(0, kHeader.find(' ')));
    // Every line saveState writes must be there.
    const auto missing = [&values](std::initializer_list<std::string_view> keys) {
        for (std::string_view key : keys)
            if (!values.contains(key)) return key;
        return std::string_view();
    };
    if (const auto key = missing({"personality", "firmware", "offline-address", "offline-image",
                                  "offline-settings"});
        !key.empty())
        return refuse(key);
    const auto value = [&values](std::string_view key) -> std::string_view {
        return values.find(key)->second;
    };

    // Build the new state aside and take it over only when all of it reads.
    const std::string_view version = value("firmware");
    if (version.size() != 15 || version[8] != ' ' || version[13] != ' ') return refuse("firmware");
    const auto main = fixedHex<std::uint32_t>(version.substr(0, 8), 8);
    const auto aux = fixedHex<std::uint16_t>(version.substr(9, 4), 4);
    const auto supports8051 = flag(version.substr(14));
    if (!main || !aux || !supports8051) return refuse("firmware");
    const FirmwareVersions firmware{*main, *aux, *supports8051};

    const std::string_view personality = value("personality");
    if (personality != "normal" && personality != "boot-loader") return refuse("personality");

    std::optional<VirtualChip> chip;
    if (const auto it = values.find("chip"); it != values.end()) {
        for (const ChipRecord& record : chipTable()) {
            if (it->second == record.partName) {
                chip.emplace(record);
                break;
            }
        }
        if (!chip) return refuse("chip");
        if (const auto key = missing({"locked", "scrambled", "trim", "flash", "eeprom", "options"});
            !key.empty())
            return refuse(key);
        const auto locked = flag(value("locked"));
        if (!locked) return refuse("locked");
        const auto scrambled = flag(value("scrambled"));
        if (!scrambled) return refuse("scrambled");
        const auto trim = trimIndex(value("trim"));
        if (!trim) return refuse("trim");
        const auto flash = unhex(value("flash"));
        if (!flash || flash->size() != chip->flash.size()) return refuse("flash");
        const auto eeprom = unhex(value("eeprom"));
        if (!eeprom || eeprom->size() != chip->eeprom.size()) return refuse("eeprom");
        const auto options = unhex(value("options"));
        if (!options || options->size() != chip->options.size()) return refuse("options");
        chip->flash = *flash;
        chip->eeprom = *eeprom;
        std::copy(options->begin(), options->end(), chip->options.begin());
        chip->locked = *locked;
        chip->scrambled = *scrambled;
        chip->trimmedFrequency = *trim;
    }

    const auto address = fixedHex<std::uint32_t>(value("offline-address"), 8);
    if (!address) return refuse("offline-address");
    auto image = unhex(value("offline-image"));
    if (!image) return refuse("offline-image");
    auto settings = unhex(value("offline-settings"));
    if (!settings) return refuse("offline-settings");

    firmware_ = firmware;
    if (const auto wanted = personality == "normal" ? Personality::Normal : Personality::BootLoader;
        wanted != personality_) {
        personality_ = wanted;
        ++generation_;
    }
    if (!pinned_ || (chip && &chip->record() == pinned_)) socket_ = std::move(chip);
    offLine_ = {*address, std::move(*image), std::move(*settings)};
    return true;
}

} // namespace scriba8::sim
