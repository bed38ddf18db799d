// SPDX-License-Identifier: MIT
// Reading and replacing the fixed-size text fields of the context record.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace scriba8 {

// The text of a field, stopping at the terminator or at the field's end when
// the caller left it unterminated.
template <std::size_t N> std::string fieldText(const char (&field)[N]) {
    return std::string(field, ::strnlen(field, N));
}

// Replaces a field's text; false (field untouched) when it does not fit.
template <std::size_t N> bool setFieldText(char (&field)[N], std::string_view text) {
    if (text.size() >= N) return false;
    std::copy(text.begin(), text.end(), field);
    std::fill(field + text.size(), field + N, '\0');
    return true;
}

} // namespace scriba8
