// SPDX-License-Identifier: MIT
#include "file_paths.h"

#include "files/atomic_file.h"
#include "files/file_reading.h"

#include <cstring>

namespace scriba8::app {

std::string_view FileNameOf(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    // ASCII only: the locale must not change what an extension matches.
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string ExtensionOf(std::string_view path) {
    const std::string_view name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : UpperCase(name.substr(dot + 1));
}

bool IsHexExtension(std::string_view upperExtension) {
    return upperExtension == "HEX" || upperExtension == "IHX" || upperExtension == "IHEX";
}

std::optional<std::uintmax_t> ReadableFileSize(const std::string& path) {
    files::ReadableFile file;
    if (file.open(path) != 0) return std::nullopt;
    return file.size();
}

int InputFileProblem(const std::string& path) {
    files::ReadableFile file;
    return file.open(path);
}

FileContents ReadFileContents(const std::string& path, std::uint64_t maxSize) {
    files::WholeFile whole = files::readWholeFile(path, maxSize);
    return {whole.error, std::move(whole.bytes)};
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    FileContents contents = ReadFileContents(path);
    if (contents.error != 0) return std::nullopt;
    return std::move(contents.bytes);
}

int WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                    files::ReadOnlyTarget readOnly) {
    return files::writeFileAtomically(path, bytes, readOnly);
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    return WriteFileSafely(path, bytes) == 0;
}

bool CopyToField(std::string_view text, char* field, std::size_t fieldSize) {
    if (fieldSize == 0) return false;
    if (text.size() >= fieldSize) {
        field[0] = '\0';
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

} // namespace scriba8::app
