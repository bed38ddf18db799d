// SPDX-License-Identifier: MIT
// File names, extensions and whole-file reading and writing.
#pragma once

#include "files/atomic_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::app {

// The name after the last folder separator ('/' or '\').
std::string_view FileNameOf(std::string_view path);

std::string UpperCase(std::string_view text);

// The upper-case text after the last dot of the file name; empty when the
// name has no dot. A dot in a folder name is not an extension.
std::string ExtensionOf(std::string_view path);

// Intel HEX by its extension: "HEX", "IHX" or "IHEX" (upper case).
bool IsHexExtension(std::string_view upperExtension);

// The size of a regular file that can be opened for reading, or nothing.
std::optional<std::uintmax_t> ReadableFileSize(const std::string& path);

// Why a file given as input cannot be read at all: 0, files::kNotRegularFile
// or an errno value.
int InputFileProblem(const std::string& path);

struct FileContents {
    // 0, an errno value or files::kNotRegularFile; EFBIG when the file is
    // larger than the limit, found before reading it.
    int error = 0;
    std::vector<std::uint8_t> bytes;
};

// Reads a regular file whole; pipes and devices are refused without waiting.
FileContents ReadFileContents(const std::string& path,
                              std::uint64_t maxSize = UINT64_MAX);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);

// Writes a whole file through the one safe writer: a failure leaves an
// existing file as it was; links are written through; devices, pipes and
// "-" (standard output) are written directly. 0 or the errno value of the
// failing step (EACCES for a file the user may not write).
int WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                    files::ReadOnlyTarget readOnly = files::ReadOnlyTarget::refuse);

// The same, for callers that only need to know whether it worked.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Copies text into a fixed, NUL-terminated field of the context record.
// False (and the field emptied) when the text does not fit.
bool CopyToField(std::string_view text, char* field, std::size_t fieldSize);

} // namespace scriba8::app
