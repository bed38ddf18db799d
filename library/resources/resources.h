// SPDX-License-Identifier: MIT
// Binary images carried by the library: programmer firmware (FWCODE) and ISP
// boot code (ISPCODE), looked up by type name and numeric id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <span>
#include <string_view>
#include <vector>

namespace scriba8 {

struct EmbeddedImage {
    const char* type; // upper case
    int id;
    const std::uint8_t* data;
    std::size_t size;
};

// The images compiled into the library.
std::span<const EmbeddedImage> embeddedImages();

// Finds an image in a table; the type name is compared without regard to case.
const EmbeddedImage* findImage(std::span<const EmbeddedImage> table, std::string_view type, int id);

// The image bytes, or nothing when there is no such image. A file named
// TYPE_ID.bin (for instance FWCODE_3000.bin) in the folder named by
// SCRIBA8_RESOURCE_DIR replaces the built-in image, so owners of a physical
// programmer can install its maker's images.
std::optional<std::vector<std::uint8_t>> loadResource(std::string_view type, int id);

// Where loadResource takes the image from, for messages: the file that
// replaces it, or the built-in image.
std::string DescribeResource(std::string_view type, int id);

} // namespace scriba8
