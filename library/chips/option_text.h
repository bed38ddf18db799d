// SPDX-License-Identifier: MIT
// The grammar of the chip table's option texts: comma-separated
// lists whose empty pieces are skipped, hexadecimal and decimal fields parsed
// the way the standard library's string-to-number conversions do (an optional
// "0x" prefix in hexadecimal fields; a malformed number reads as 0).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace scriba8::option_text {

// Calls fn(piece, n) for the non-empty pieces of list in order, n counting from
// 0, until fn returns false.
template <typename Fn> void forEachPiece(std::string_view list, Fn&& fn) {
    int n = 0;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view piece = list.substr(start, end - start);
        if (!piece.empty()) {
            if (!fn(piece, n)) return;
            ++n;
        }
        start = end + 1;
    }
}

// Non-empty piece number n of list, or nothing when the list is shorter.
inline std::optional<std::string_view> pieceAt(std::string_view list, std::int64_t n) {
    std::optional<std::string_view> found;
    if (n < 0) return found;
    forEachPiece(list, [&](std::string_view piece, int i) {
        if (i != n) return true;
        found = piece;
        return false;
    });
    return found;
}

// Number of non-empty pieces.
inline int pieceCount(std::string_view list) {
    int count = 0;
    forEachPiece(list, [&](std::string_view, int) {
        ++count;
        return true;
    });
    return count;
}

// Unsigned base-16 conversion as std::strtoull does it (64 bits on every
// system; long is 32 bits on Windows): leading blanks and an optional "0x"
// are accepted, parsing stops at the first other character, nothing valid
// gives 0. Callers truncate.
inline std::uint64_t parseHex(std::string_view text) {
    const std::string copy(text);
    return std::strtoull(copy.c_str(), nullptr, 16);
}

// Decimal conversion as std::strtoll does it; nothing valid gives 0.
inline std::int64_t parseDecimal(std::string_view text) {
    const std::string copy(text);
    return std::strtoll(copy.c_str(), nullptr, 10);
}

// lb(m): position of the lowest set bit of an 8-bit mask, 8 for a mask of 0.
constexpr int lowestSetBit(std::uint8_t mask) {
    for (int bit = 0; bit < 8; ++bit) {
        if (mask & (1u << bit)) return bit;
    }
    return 8;
}

} // namespace scriba8::option_text
