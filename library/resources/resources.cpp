// SPDX-License-Identifier: MIT
#include "resources/resources.h"

#include "files/environment.h"
#include "files/utf8_path.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace scriba8 {
namespace {

bool sameTypeName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::filesystem::path> overridePath(std::string_view type, int id) {
    const std::optional<std::string> dir = files::environmentValue("SCRIBA8_RESOURCE_DIR");
    if (!dir || dir->empty()) return std::nullopt;
    return files::pathFromUtf8(*dir) / (upper(type) + "_" + std::to_string(id) + ".bin");
}

std::optional<std::vector<std::uint8_t>> overrideFile(std::string_view type, int id) {
    const std::optional<std::filesystem::path> path = overridePath(type, id);
    if (!path) return std::nullopt;
    std::ifstream in(*path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

} // namespace

const EmbeddedImage* findImage(std::span<const EmbeddedImage> table, std::string_view type, int id) {
    for (const auto& image : table) {
        if (image.id == id && sameTypeName(image.type, type)) return &image;
    }
    return nullptr;
}

std::optional<std::vector<std::uint8_t>> loadResource(std::string_view type, int id) {
    if (auto replaced = overrideFile(type, id)) return replaced;
    const EmbeddedImage* image = findImage(embeddedImages(), type, id);
    if (image == nullptr) return std::nullopt;
    return std::vector<std::uint8_t>(image->data, image->data + image->size);
}

std::string DescribeResource(std::string_view type, int id) {
    if (const auto path = overridePath(type, id); path && overrideFile(type, id))
        return files::utf8FromPath(*path) + " (from SCRIBA8_RESOURCE_DIR)";
    return "built into the library (" + upper(type) + " " + std::to_string(id) + ")";
}

} // namespace scriba8
