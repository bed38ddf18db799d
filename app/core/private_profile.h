// SPDX-License-Identifier: MIT
// INI files read and written the way the settings files of the original
// platform behave, so hand-edited and older files keep working:
//   - section and key names match without regard to case; the first match wins;
//   - names and values are trimmed, and one pair of matching surrounding quotes
//     ('...' or "...") is stripped from a value;
//   - integers are read from their leading digits (optional sign), 0 when there
//     are none; the fallback only when the key is absent;
//   - a write changes the value of the key in place, adds a missing key at the
//     end of its section and a missing section at the end of the file, and
//     leaves every other line (comments, blank lines, other sections, line
//     endings, a byte-order mark) exactly as it was;
//   - the file is created by the first write and always replaced whole, so a
//     failed write never leaves it half-written.
// Qt-free: the settings of the desktop application, the engineer window's
// sheet definitions and the update check's version file all use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::app {

class PrivateProfile {
public:
    PrivateProfile() = default;

    // The file's contents. A missing file gives an empty profile that Save()
    // creates; a file that exists but cannot be read also reads as empty, but
    // such a profile refuses to Save(), so the unread contents are not lost.
    static PrivateProfile Load(const std::string& path);
    static PrivateProfile FromText(std::string_view text);

    // The value of the first matching key in the first matching section.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    int GetInt(std::string_view section, std::string_view key, int fallback) const;

    // False (nothing changed) for names or values that cannot be stored on one
    // line: line breaks, a key with '=' or starting with '[' or ';', empty names.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;
    // Writes the whole text to path in one atomic replacement; false on failure.
    bool Save(const std::string& path) const;

private:
    struct Line {
        std::string text;   // without its line ending
        std::string ending; // "\r\n", "\n" or "" for a last line without one
    };
    // Index of the first section header matching section, or nothing.
    std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index of the first key line in the section that starts at header.
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::string NewLineEnding() const;

    std::string byteOrderMark_;
    bool unreadable_ = false;
    std::vector<Line> lines_;
};

// The value's integer by the leading-digits rule: "12abc" is 12, "abc" is 0.
int ProfileInteger(std::string_view value);

// One-call forms: each read loads the file, each write replaces it at once.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback);
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int fallback);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace scriba8::app
