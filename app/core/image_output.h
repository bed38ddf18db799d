// SPDX-License-Identifier: MIT
// Writing a memory image to a file: Intel HEX when the name ends in .hex,
// .ihx or .ihex, raw binary otherwise.
#pragma once

#include "files/atomic_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace scriba8::app {

// Intel HEX text: 16 data bytes a line from address 0, an extended linear
// address record before each further 64 KB, the end-of-file record last.
// Lines end in CR LF.
std::string IntelHexText(std::span<const std::uint8_t> image);

bool IsHexFileName(const std::string& path);

// Writes through the safe file writer ("-" is standard output). 0 or the
// errno value of the failure.
int WriteImageFile(const std::string& path, std::span<const std::uint8_t> image,
                   files::ReadOnlyTarget readOnly = files::ReadOnlyTarget::refuse);

} // namespace scriba8::app
