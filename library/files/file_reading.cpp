// SPDX-License-Identifier: MIT
#include "files/file_reading.h"

#include <cerrno>

namespace scriba8::files {

ReadableFile::~ReadableFile() { close(); }

WholeFile readWholeFile(const std::string& path, std::uint64_t maxSize) {
    WholeFile whole;
    ReadableFile file;
    whole.error = file.open(path);
    if (whole.error != 0) return whole;
    if (file.size() > maxSize) {
        whole.error = EFBIG;
        return whole;
    }
    whole.bytes.resize(static_cast<std::size_t>(file.size()));
    if (!file.read(0, whole.bytes)) {
        whole.error = file.error();
        whole.bytes.clear();
    }
    return whole;
}

} // namespace scriba8::files
