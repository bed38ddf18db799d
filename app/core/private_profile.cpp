// SPDX-License-Identifier: MIT
#include "private_profile.h"

#include "file_paths.h"
#include "files/utf8_path.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <span>

namespace scriba8::app {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasSurroundingQuotes(std::string_view text) {
    return text.size() >= 2 && IsQuote(text.front()) && text.front() == text.back();
}

// The section name of a header line ("[name]"), or nothing for other lines.
std::optional<std::string_view> HeaderName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const std::size_t close = trimmed.find(']');
    return Trim(trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                  : close - 1));
}

bool IsComment(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    return !trimmed.empty() && trimmed.front() == ';';
}

// Where the key's value starts in a "key = value" line, or npos when the line
// is no key line for key.
std::size_t ValueStart(std::string_view line, std::string_view key) {
    if (IsComment(line) || HeaderName(line)) return std::string_view::npos;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key)) {
        return std::string_view::npos;
    }
    const std::size_t value = line.find_first_not_of(kBlanks, equals + 1);
    return value == std::string_view::npos ? line.size() : value;
}

std::string_view StoredValue(std::string_view line, std::size_t valueStart) {
    std::string_view value = Trim(line.substr(valueStart));
    if (HasSurroundingQuotes(value)) value = value.substr(1, value.size() - 2);
    return value;
}

// A value that reading would change (outer blanks, outer quotes) goes into
// quotes, so it reads back exactly as written.
std::string EncodedValue(std::string_view value) {
    if (Trim(value) != value || HasSurroundingQuotes(value)) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool StorableSection(std::string_view section) {
    return !section.empty() && Trim(section) == section && !HasLineBreak(section) &&
           section.find(']') == std::string_view::npos;
}

bool StorableKey(std::string_view key) {
    return !key.empty() && Trim(key) == key && !HasLineBreak(key) &&
           key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

} // namespace

int ProfileInteger(std::string_view value) {
    value = Trim(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    std::int64_t number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') break;
        // Saturate: a runaway number in a hand-edited file must not overflow.
        number = std::min<std::int64_t>(number * 10 + (c - '0'), std::int64_t{INT_MAX} + 1);
    }
    if (negative) number = -number;
    return static_cast<int>(std::clamp<std::int64_t>(number, INT_MIN, INT_MAX));
}

PrivateProfile PrivateProfile::Load(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(files::pathFromUtf8(path), error))) return {};
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(path);
    if (!bytes) {
        PrivateProfile unreadable;
        unreadable.unreadable_ = true;
        return unreadable;
    }
    return FromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

PrivateProfile PrivateProfile::FromText(std::string_view text) {
    PrivateProfile profile;
    if (text.starts_with(kByteOrderMark)) {
        profile.byteOrderMark_ = kByteOrderMark;
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        Line stored;
        if (newline != std::string_view::npos) {
            const bool crlf = line.ends_with('\r');
            if (crlf) line.remove_suffix(1);
            stored.ending = crlf ? "\r\n" : "\n";
        }
        stored.text = std::string(line);
        profile.lines_.push_back(std::move(stored));
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
    return profile;
}

std::optional<std::size_t> PrivateProfile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::optional<std::string_view> name = HeaderName(lines_[i].text);
        if (name && SameName(*name, section)) return i;
    }
    return std::nullopt;
}

std::size_t PrivateProfile::SectionEnd(std::size_t header) const {
    std::size_t end = header + 1;
    while (end < lines_.size() && !HeaderName(lines_[end].text)) ++end;
    return end;
}

std::optional<std::size_t> PrivateProfile::FindKey(std::size_t header, std::string_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (ValueStart(lines_[i].text, key) != std::string_view::npos) return i;
    }
    return std::nullopt;
}

std::optional<std::string> PrivateProfile::Find(std::string_view section,
                                                 std::string_view key) const {
    const std::optional<std::size_t> header = FindSection(section);
    if (!header) return std::nullopt;
    const std::optional<std::size_t> line = FindKey(*header, key);
    if (!line) return std::nullopt;
    const std::string_view text = lines_[*line].text;
    return std::string(StoredValue(text, ValueStart(text, key)));
}

std::string PrivateProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view fallback) const {
    std::optional<std::string> value = Find(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

int PrivateProfile::GetInt(std::string_view section, std::string_view key, int fallback) const {
    const std::optional<std::string> value = Find(section, key);
    return value ? ProfileInteger(*value) : fallback;
}

std::string PrivateProfile::NewLineEnding() const {
    for (const Line& line : lines_) {
        if (!line.ending.empty()) return line.ending;
    }
    return "\n";
}

bool PrivateProfile::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!StorableSection(section) || !StorableKey(key) || HasLineBreak(value)) return false;
    const std::string ending = NewLineEnding();
    const std::optional<std::size_t> header = FindSection(section);

    if (header) {
        if (const std::optional<std::size_t> found = FindKey(*header, key)) {
            std::string& text = lines_[*found].text;
            // A value that reads back the same keeps its line as the user wrote it.
            if (StoredValue(text, ValueStart(text, key)) == value) return true;
            text = text.substr(0, ValueStart(text, key)) + EncodedValue(value);
            return true;
        }
        // After the section's last non-blank line, so a blank separator line
        // before the next section stays where it is.
        std::size_t at = SectionEnd(*header);
        while (at > *header + 1 && Trim(lines_[at - 1].text).empty()) --at;
        if (lines_[at - 1].ending.empty()) lines_[at - 1].ending = ending;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      Line{std::string(key) + "=" + EncodedValue(value), ending});
        return true;
    }

    if (!lines_.empty() && lines_.back().ending.empty()) lines_.back().ending = ending;
    lines_.push_back({"[" + std::string(section) + "]", ending});
    lines_.push_back({std::string(key) + "=" + EncodedValue(value), ending});
    return true;
}

std::string PrivateProfile::Text() const {
    std::string text = byteOrderMark_;
    for (const Line& line : lines_) text += line.text + line.ending;
    return text;
}

bool PrivateProfile::Save(const std::string& path) const {
    if (unreadable_) return false;
    const std::string text = Text();
    return WriteWholeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                          text.size()));
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback) {
    return PrivateProfile::Load(path).GetString(section, key, fallback);
}

int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int fallback) {
    return PrivateProfile::Load(path).GetInt(section, key, fallback);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    PrivateProfile profile = PrivateProfile::Load(path);
    return profile.Set(section, key, value) && profile.Save(path);
}

} // namespace scriba8::app
