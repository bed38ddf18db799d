// SPDX-License-Identifier: MIT
// The interface language and the bilingual text pairs every visible text is
// made of.
#pragma once

#include <string_view>

namespace scriba8::app {

enum class Language { english = 0, chinese = 1 };

// The settings file stores 0 for English; any other value shows Chinese.
constexpr Language LanguageFromIndex(int index) {
    return index == 0 ? Language::english : Language::chinese;
}

struct TextPair {
    std::string_view english;
    std::string_view chinese; // UTF-8

    constexpr std::string_view in(Language language) const {
        return language == Language::english ? english : chinese;
    }
};

} // namespace scriba8::app
