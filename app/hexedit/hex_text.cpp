// SPDX-License-Identifier: MIT
#include "hex_text.h"

#include <algorithm>
#include <cstdio>

namespace scriba8::hexedit {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr unsigned kMaxLabelLength = 31;

void AppendByte(std::string& out, std::uint8_t value)
{
    out.push_back(kDigits[value >> 4]);
    out.push_back(kDigits[value & 0x0F]);
}

} // namespace

std::string HexRowText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    if (bytes.empty())
        return text;
    text.reserve(3 * bytes.size() - 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text.push_back(' ');
        AppendByte(text, bytes[i]);
    }
    return text;
}

std::string AsciiRowText(std::span<const std::uint8_t> bytes)
{
    std::string text(bytes.size(), '.');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] >= 0x20 && bytes[i] <= 0x7E)
            text[i] = static_cast<char>(bytes[i]);
    }
    return text;
}

std::string AddressLabel(std::uint32_t index, unsigned digits)
{
    char label[kMaxLabelLength + 1];
    const int width = static_cast<int>(std::min(digits, kMaxLabelLength));
    std::snprintf(label, sizeof label, "%0*X", width, static_cast<unsigned>(index));
    return label;
}

std::string SelectionText(std::span<const std::uint8_t> data, std::uint32_t start, std::uint32_t end,
                          unsigned bytesPerRow)
{
    std::string text;
    if (start > end || end >= data.size() || bytesPerRow == 0)
        return text;

    const std::uint64_t count = std::uint64_t{end} - start + 1;
    text.reserve(static_cast<std::size_t>(count * 3 + count / bytesPerRow + 3 * bytesPerRow + 1));

    unsigned column = end - start > bytesPerRow ? start % bytesPerRow : 0;
    text.append(3 * std::size_t{column}, ' ');
    bool lineStart = true;
    for (std::uint64_t i = start; i <= end; ++i) {
        if (!lineStart)
            text.push_back(' ');
        AppendByte(text, data[static_cast<std::size_t>(i)]);
        lineStart = ++column == bytesPerRow || i == end;
        if (lineStart) {
            text.push_back('\n');
            column = 0;
        }
    }
    return text;
}

std::vector<std::uint8_t> EncodeBinaryData(std::span<const std::uint8_t> bytes)
{
    const auto count = static_cast<std::uint32_t>(bytes.size());
    std::vector<std::uint8_t> form;
    form.reserve(bytes.size() + 4);
    for (int shift = 0; shift < 32; shift += 8)
        form.push_back(static_cast<std::uint8_t>(count >> shift));
    form.insert(form.end(), bytes.begin(), bytes.end());
    return form;
}

std::span<const std::uint8_t> DecodeBinaryData(std::span<const std::uint8_t> form)
{
    if (form.size() < 4)
        return {};
    std::uint32_t count = 0;
    for (int i = 0; i < 4; ++i)
        count |= std::uint32_t{form[static_cast<std::size_t>(i)]} << (8 * i);
    const auto payload = form.subspan(4);
    return payload.first(std::min<std::size_t>(count, payload.size()));
}

} // namespace scriba8::hexedit
