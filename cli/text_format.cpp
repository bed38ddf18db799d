// SPDX-License-Identifier: MIT
#include "text_format.h"

#include <algorithm>
#include <cstdio>

namespace scriba8::cli {

std::string HexText(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string FieldText(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size && bytes[i] != 0xFF && bytes[i] != 0; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

namespace {

// One character of a UTF-8 text: its code point and its bytes.
struct Character {
    char32_t code;
    std::string_view bytes;
};

Character characterAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || at + length > text.size()) return {lead, text.substr(at, 1)};
    char32_t code = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    return {code, text.substr(at, length)};
}

bool isWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Chinese punctuation that never starts a line, and that never ends one.
bool closesPhrase(char32_t c) {
    return std::u32string_view(U"，。；：、）」』！？”").find(c) != std::u32string_view::npos;
}
bool opensPhrase(char32_t c) {
    return std::u32string_view(U"（「『“").find(c) != std::u32string_view::npos;
}

struct Piece {
    std::string text;
    std::size_t width = 0;
    bool blank = false;
    bool endsWide = false;   // may break after it
    bool endsOpening = false; // must not break after it
};

// Blanks, words and single Chinese characters, with punctuation kept
// beside the character it belongs to. A quoted example such as
// "BOD1 level=Detect 4.2V" is typed as one argument: it stays one word.
std::vector<Piece> piecesOf(std::string_view text) {
    std::vector<Piece> pieces;
    bool quoted = false;
    for (std::size_t at = 0; at < text.size();) {
        const Character c = characterAt(text, at);
        at += c.bytes.size();
        const bool blank = c.code == ' ' && !quoted;
        if (c.code == '"') quoted = !quoted;
        const bool wide = isWide(c.code);
        bool joins = false;
        if (!pieces.empty() && pieces.back().blank == blank) {
            const Piece& last = pieces.back();
            joins = blank || last.endsOpening || closesPhrase(c.code) || (!wide && !last.endsWide);
        }
        if (!joins) pieces.push_back(Piece{{}, 0, blank});
        Piece& piece = pieces.back();
        piece.text += c.bytes;
        piece.width += wide ? 2 : 1;
        piece.endsWide = wide;
        piece.endsOpening = opensPhrase(c.code);
    }
    return pieces;
}

} // namespace

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < text.size();) {
        const Character c = characterAt(text, at);
        at += c.bytes.size();
        width += isWide(c.code) ? 2 : 1;
    }
    return width;
}

std::string Padded(std::string text, std::size_t width) {
    const std::size_t columns = DisplayWidth(text);
    if (columns < width)
        text.append(width - columns, ' ');
    else
        text += ' ';
    return text;
}

std::vector<std::string> WrappedLines(std::string_view text, std::size_t width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t lineWidth = 0;
    std::size_t blankWidth = 0; // blanks waiting between line and the next word
    for (const Piece& piece : piecesOf(text)) {
        if (piece.blank) {
            blankWidth = line.empty() ? 0 : piece.width;
            continue;
        }
        if (!line.empty() && lineWidth + blankWidth + piece.width > width) {
            lines.push_back(std::move(line));
            line.clear();
            lineWidth = 0;
            blankWidth = 0;
        }
        line.append(blankWidth, ' ');
        line += piece.text;
        lineWidth += blankWidth + piece.width;
        blankWidth = 0;
    }
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

std::string FieldLine(const std::string& label, const std::string& value) {
    return "  " + Padded(label, 16) + value;
}

std::string SizeAndChecksums(std::size_t size, std::uint16_t checksum,
                             std::optional<std::uint16_t> chipChecksum, app::Language language) {
    const Say say(language);
    std::string text = std::to_string(size) + say({" bytes, checksum ", " 字节，检验和 "}) +
                       HexText(checksum, 4);
    if (chipChecksum) text += say({", chip checksum ", "，芯片检验和 "}) + HexText(*chipChecksum, 4);
    return text;
}

std::string RangeText(const ByteRange& range) {
    if (range.first == range.last) return HexText(range.first, 8);
    return HexText(range.first, 8) + "-" + HexText(range.last, 8);
}

std::optional<ByteRange> CodeIn(std::span<const std::uint8_t> image, std::size_t first,
                                std::size_t end) {
    std::optional<ByteRange> range;
    for (std::size_t i = first; i < std::min(end, image.size()); ++i) {
        if (image[i] == 0xFF) continue;
        const auto address = static_cast<std::uint32_t>(i);
        if (!range) range = ByteRange{address, address};
        range->last = address;
    }
    return range;
}

std::optional<ByteRange> OverwrittenCode(std::span<const std::uint8_t> before,
                                         std::span<const std::uint8_t> after) {
    std::optional<ByteRange> range;
    const std::size_t common = std::min(before.size(), after.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (before[i] == 0xFF || after[i] == before[i]) continue;
        const auto address = static_cast<std::uint32_t>(i);
        if (!range) range = ByteRange{address, address};
        range->last = address;
    }
    return range;
}

} // namespace scriba8::cli
