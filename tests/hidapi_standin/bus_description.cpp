// SPDX-License-Identifier: MIT
#include "bus_description.h"

#include <charconv>

namespace scriba8::standin {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::optional<std::size_t> count(std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// One programmer's words; an error text when one cannot be read.
std::optional<std::string> parseProgrammer(std::string_view text, ProgrammerDescription& description) {
    bool first = true;
    while (!text.empty()) {
        const auto space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view{} : trimmed(text.substr(space));
        if (first) {
            description.serial = word;
            first = false;
        } else if (word == "boot") {
            description.bootLoader = true;
        } else if (word == "denied") {
            description.denied = true;
        } else if (word.starts_with("input-bytes=")) {
            description.inputBytes = count(word.substr(12));
            if (!description.inputBytes) return "cannot read \"" + std::string(word) + "\"";
        } else if (word.starts_with("feature-bytes=")) {
            description.featureBytes = count(word.substr(14));
            if (!description.featureBytes) return "cannot read \"" + std::string(word) + "\"";
        } else if (word.starts_with("faults=")) {
            auto parsed = sim::parseFaultSpec(word.substr(7));
            if (auto* error = std::get_if<std::string>(&parsed)) return *error;
            description.faults = std::get<sim::FaultSpec>(std::move(parsed));
        } else {
            return "unknown word \"" + std::string(word) + "\" for programmer " + description.serial;
        }
    }
    return std::nullopt;
}

} // namespace

std::variant<std::vector<ProgrammerDescription>, std::string> parseBusSpec(std::string_view text) {
    std::vector<ProgrammerDescription> programmers;
    while (!text.empty()) {
        const auto end = text.find(';');
        const std::string_view item = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (item.empty()) continue;
        ProgrammerDescription& description = programmers.emplace_back();
        if (auto error = parseProgrammer(item, description)) return *error;
        for (std::size_t i = 0; i + 1 < programmers.size(); ++i) {
            if (programmers[i].serial == description.serial) return "serial " + description.serial + " twice";
        }
    }
    return programmers;
}

} // namespace scriba8::standin
