// SPDX-License-Identifier: MIT
// Project texts through the system's own code page conversion. One character
// at a time, so that exactly what cannot be converted becomes "?".
#include "project/codepage.h"

#include "files/windows_text.h"

#include <cctype>
#include <cstdlib>
#include <optional>

#include <windows.h>

namespace scriba8 {
namespace {

constexpr UINT kDefaultCodePage = 936;

// "CP936" or "936" -> 936, for a code page of one or two bytes a character
// that this system has.
std::optional<UINT> parseCodePage(std::string_view name) {
    if (name.size() > 2 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(name[1])) == 'P') {
        name.remove_prefix(2);
    }
    if (name.empty() || name.size() > 5) return std::nullopt;
    UINT number = 0;
    for (char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<UINT>(c - '0');
    }
    CPINFO info{};
    if (!::IsValidCodePage(number) || !::GetCPInfo(number, &info) || info.MaxCharSize > 2)
        return std::nullopt;
    return number;
}

UINT chosenCodePage() {
    const char* chosen = std::getenv("SCRIBA8_CODEPAGE");
    if (chosen == nullptr) return kDefaultCodePage;
    return parseCodePage(chosen).value_or(kDefaultCodePage);
}

// One character of UTF-8 from the front of text; taken says how many bytes
// it used. A broken sequence is one bad character, never swallowing the
// start of the next one.
std::optional<char32_t> takeUtf8(std::string_view text, std::size_t& taken) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    taken = 1;
    if (lead < 0x80) return lead;
    std::size_t length = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    while (taken < length && taken < text.size() && (byte(taken) & 0xC0) == 0x80) {
        value = (value << 6) | (byte(taken) & 0x3F);
        ++taken;
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (taken < length || value < kSmallest[length] || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return value;
}

std::wstring utf16(char32_t c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    c -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

} // namespace

std::string projectCodePage() { return "CP" + std::to_string(chosenCodePage()); }

std::string toLegacyText(std::string_view utf8) {
    const UINT codePage = chosenCodePage();
    std::string legacy;
    while (!utf8.empty()) {
        std::size_t taken = 0;
        const std::optional<char32_t> c = takeUtf8(utf8, taken);
        utf8.remove_prefix(taken);
        if (!c) {
            legacy += '?';
            continue;
        }
        const std::wstring wide = utf16(*c);
        char bytes[8];
        BOOL usedDefault = FALSE;
        const int made = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                               static_cast<int>(wide.size()), bytes, sizeof bytes,
                                               nullptr, &usedDefault);
        if (made <= 0 || usedDefault) {
            legacy += '?';
        } else {
            legacy.append(bytes, static_cast<std::size_t>(made));
        }
    }
    return legacy;
}

std::string fromLegacyText(std::string_view legacy) {
    const UINT codePage = chosenCodePage();
    std::string utf8;
    std::size_t at = 0;
    while (at < legacy.size()) {
        const std::size_t length =
            ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(legacy[at])) ? 2 : 1;
        wchar_t wide[4];
        const int made =
            at + length > legacy.size()
                ? 0
                : ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, legacy.data() + at,
                                        static_cast<int>(length), wide, 4);
        if (made <= 0) {
            utf8 += '?';
            ++at;
            continue;
        }
        utf8 += files::utf8FromWide(std::wstring_view(wide, static_cast<std::size_t>(made)));
        at += length;
    }
    return utf8;
}

} // namespace scriba8
