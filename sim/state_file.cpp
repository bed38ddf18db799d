// SPDX-License-Identifier: MIT
// The virtual programmer's lasting state as text, one "key value" per line,
// so separate processes (CLI runs, the application) share one programmer.
#include "sim/virtual_programmer.h"

#include <charconv>
#include <cstdio>
#include <functional>
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

template <typename T> std::optional<T> number(std::string_view text, int base = 16) {
    T value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
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

bool VirtualProgrammer::loadState(std::string_view text) {
    std::map<std::string, std::string, std::less<>> values;
    bool first = true;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (first) {
            if (line != kHeader) return false;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const auto space = line.find(' ');
        const std::string_view key = line.substr(0, space);
        values[std::string(key)] = space == std::string_view::npos ? "" : std::string(line.substr(space + 1));
    }
    if (first) return false;

    // Build the new state aside and take it over only when all of it reads.
    FirmwareVersions firmware;
    const std::string& version = values["firmware"];
    if (version.size() != 15) return false;
    const auto main = number<std::uint32_t>(std::string_view(version).substr(0, 8));
    const auto aux = number<std::uint16_t>(std::string_view(version).substr(9, 4));
    if (!main || !aux || (version[14] != '0' && version[14] != '1')) return false;
    firmware = {*main, *aux, version[14] == '1'};

    const std::string& personality = values["personality"];
    if (personality != "normal" && personality != "boot-loader") return false;

    std::optional<VirtualChip> chip;
    if (const auto it = values.find("chip"); it != values.end()) {
        for (const ChipRecord& record : chipTable()) {
            if (it->second == record.partName) {
                chip.emplace(record);
                break;
            }
        }
        if (!chip) return false;
        const auto flash = unhex(values["flash"]);
        const auto eeprom = unhex(values["eeprom"]);
        const auto options = unhex(values["options"]);
        const auto trim = number<int>(values["trim"], 10);
        if (!flash || flash->size() != chip->flash.size() || !eeprom ||
            eeprom->size() != chip->eeprom.size() || !options ||
            options->size() != chip->options.size() || !trim) {
            return false;
        }
        chip->flash = *flash;
        chip->eeprom = *eeprom;
        std::copy(options->begin(), options->end(), chip->options.begin());
        chip->locked = values["locked"] == "1";
        chip->scrambled = values["scrambled"] == "1";
        chip->trimmedFrequency = *trim;
    }

    const auto address = number<std::uint32_t>(values["offline-address"]);
    const auto image = unhex(values["offline-image"]);
    const auto settings = unhex(values["offline-settings"]);
    if (!address || !image || !settings) return false;

    firmware_ = firmware;
    if (const auto wanted = personality == "normal" ? Personality::Normal : Personality::BootLoader;
        wanted != personality_) {
        personality_ = wanted;
        ++generation_;
    }
    if (!pinned_ || (chip && &chip->record() == pinned_)) socket_ = std::move(chip);
    offLine_ = {*address, *image, *settings};
    return true;
}

} // namespace scriba8::sim
