// SPDX-License-Identifier: MIT
// std::filesystem paths from and to this project's UTF-8 texts. A path made
// from a plain std::string is in the ANSI code page on Windows, which cannot
// hold every name; through char8_t it is UTF-8 on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace scriba8::files {

inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace scriba8::files
