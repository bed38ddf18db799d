// SPDX-License-Identifier: MIT
// Sheet definitions written in code, keyed "Section/Key", turned into the
// text of a definition file.
#pragma once

#include "private_profile.h"

#include <map>
#include <string>

namespace engineer_test {

using Entries = std::map<std::string, std::string>;

inline std::string IniText(const Entries& entries) {
    std::map<std::string, std::string> sections;
    for (const auto& [name, value] : entries) {
        const auto slash = name.find('/');
        sections[name.substr(0, slash)] += name.substr(slash + 1) + "=" + value + "\r\n";
    }
    std::string text;
    for (const auto& [section, lines] : sections) text += "[" + section + "]\r\n" + lines;
    return text;
}

inline scriba8::app::PrivateProfile MemoryProfile(const Entries& entries) {
    return scriba8::app::PrivateProfile::FromText(IniText(entries));
}

} // namespace engineer_test
