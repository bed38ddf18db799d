// SPDX-License-Identifier: MIT
// A text made at run time in both interface languages, for what the
// production engine tells the user.
#pragma once

#include "language.h"

#include <string>
#include <utility>

namespace scriba8::app {

struct Bilingual {
    std::string english;
    std::string chinese;

    Bilingual() = default;
    Bilingual(std::string englishText, std::string chineseText)
        : english(std::move(englishText)), chinese(std::move(chineseText)) {}
    explicit Bilingual(const TextPair& pair) : english(pair.english), chinese(pair.chinese) {}

    const std::string& in(Language language) const {
        return language == Language::chinese ? chinese : english;
    }
    bool empty() const { return english.empty(); }
};

} // namespace scriba8::app
