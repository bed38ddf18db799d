// SPDX-License-Identifier: MIT
#include "image_output.h"

#include "file_paths.h"

#include <algorithm>
#include <cstdio>

namespace scriba8::app {
namespace {

void appendRecord(std::string& out, std::uint8_t type, std::uint16_t address,
                  std::span<const std::uint8_t> data) {
    std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (address >> 8) + address + type);
    char field[16];
    std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(data.size()),
                  static_cast<unsigned>(address), static_cast<unsigned>(type));
    out += field;
    for (std::uint8_t byte : data) {
        std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(byte));
        out += field;
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    std::snprintf(field, sizeof field, "%02X\r\n", static_cast<unsigned>(0x100 - sum) & 0xFFu);
    out += field;
}

} // namespace

std::string IntelHexText(std::span<const std::uint8_t> image) {
    std::string out;
    out.reserve(image.size() / 16 * 45 + 16);
    for (std::size_t offset = 0; offset < image.size(); offset += 16) {
        if (offset != 0 && offset % 0x10000 == 0) {
            const auto upper = static_cast<std::uint16_t>(offset >> 16);
            const std::uint8_t segment[2] = {static_cast<std::uint8_t>(upper >> 8),
                                             static_cast<std::uint8_t>(upper)};
            appendRecord(out, 4, 0, segment);
        }
        const std::size_t count = std::min<std::size_t>(16, image.size() - offset);
        appendRecord(out, 0, static_cast<std::uint16_t>(offset), image.subspan(offset, count));
    }
    appendRecord(out, 1, 0, {});
    return out;
}

bool IsHexFileName(const std::string& path) { return IsHexExtension(ExtensionOf(path)); }

int WriteImageFile(const std::string& path, std::span<const std::uint8_t> image,
                   files::ReadOnlyTarget readOnly) {
    if (!IsHexFileName(path)) return WriteFileSafely(path, image, readOnly);
    const std::string text = IntelHexText(image);
    return WriteFileSafely(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), readOnly);
}

} // namespace scriba8::app
