// SPDX-License-Identifier: MIT
#include "steps.h"

#include "Scriba8_T3Plus_DLL.h"

#include <cctype>
#include <charconv>

namespace scriba8::cli {
namespace {

std::string trimmedLower(std::string_view text) {
    std::string out;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string knownNames() {
    std::string names;
    for (const StepName& step : StepNames()) names += (names.empty() ? "" : ", ") + std::string(step.name);
    return names;
}

} // namespace

const std::vector<StepName>& StepNames() {
    static const std::vector<StepName> names{
        {S8_STEP_WHOLE_CHIP_ERASE, "whole-chip-erase"},
        {S8_STEP_ERASE, "erase"},
        {S8_STEP_BLANK_CHECK, "blank-check"},
        {S8_STEP_PROGRAM, "program"},
        {S8_STEP_EEPROM_PROGRAM, "eeprom-program"},
        {S8_STEP_VERIFY, "verify"},
        {S8_STEP_WRITE_OPTIONS, "write-options"},
        {S8_STEP_SAVE_CHIP_CHECKSUM, "save-checksum"},
    };
    return names;
}

std::optional<std::uint16_t> ParseSteps(std::string_view text, std::string& error,
                                        app::Language language) {
    const bool english = language == app::Language::english;
    const std::string list = trimmedLower(text);
    if (list == "default") return static_cast<std::uint16_t>(S8_DEFAULT_AUTO_PROCESS);
    if (list == "none") return std::uint16_t{0};
    if (list.starts_with("0x")) {
        if (auto value = ParseNumber(list, 0xFF)) return static_cast<std::uint16_t>(*value);
        error = english ? "a step mask is 0x00 to 0xFF, not \"" + std::string(text) + "\""
                        : "步骤掩码应为 0x00 到 0xFF，不能是 \"" + std::string(text) + "\"";
        return std::nullopt;
    }
    if (list.empty()) {
        error = english ? "the list is empty; name the steps (" + knownNames() + "), or none"
                        : "列表是空的；请列出步骤（" + knownNames() + "），或写 none";
        return std::nullopt;
    }
    std::uint16_t mask = 0;
    std::string_view rest = list;
    for (bool more = true; more;) {
        const std::size_t comma = rest.find(',');
        const std::string_view name = rest.substr(0, comma);
        more = comma != std::string_view::npos;
        rest = more ? rest.substr(comma + 1) : std::string_view();
        if (name.empty()) {
            error = english ? "an empty step in \"" + std::string(text) + "\": leave out the extra comma"
                            : "\"" + std::string(text) + "\" 中有空的步骤：请去掉多余的逗号";
            return std::nullopt;
        }
        bool known = false;
        for (const StepName& step : StepNames()) {
            if (step.name == name) {
                mask = static_cast<std::uint16_t>(mask | step.bit);
                known = true;
            }
        }
        if (!known) {
            error = english ? "unknown step \"" + std::string(name) + "\"; the steps are " + knownNames()
                            : "未知的步骤 \"" + std::string(name) + "\"；可用的步骤有 " + knownNames();
            return std::nullopt;
        }
    }
    return mask;
}

std::vector<std::string> StepList(std::uint16_t mask) {
    std::vector<std::string> names;
    for (const StepName& step : StepNames())
        if (mask & step.bit) names.emplace_back(step.name);
    return names;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t maximum) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > maximum)
        return std::nullopt;
    return value;
}

} // namespace scriba8::cli
