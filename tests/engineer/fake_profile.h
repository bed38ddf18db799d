// A sheet definition held in memory, keyed "Section/Key", for tests that
// build their cases in code.
#pragma once

#include "sheet_definition.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace engineer_test {

using Entries = std::map<std::string, std::string>;

inline scriba8::engineer::ProfileSource MemoryProfile(Entries entries) {
    auto shared = std::make_shared<Entries>(std::move(entries));
    auto find = [shared](std::string_view section, std::string_view key) -> const std::string* {
        const auto at = shared->find(std::string(section) + "/" + std::string(key));
        return at == shared->end() ? nullptr : &at->second;
    };
    return {
        [find](std::string_view section, std::string_view key, std::int64_t fallback) {
            const std::string* value = find(section, key);
            return value ? std::strtoll(value->c_str(), nullptr, 10) : fallback;
        },
        [find](std::string_view section, std::string_view key) {
            const std::string* value = find(section, key);
            return value ? *value : std::string();
        }};
}

} // namespace engineer_test
