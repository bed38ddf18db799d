// SPDX-License-Identifier: MIT
#include "files/append_file.h"
#include "files/windows_text.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>

#include <windows.h>

namespace scriba8::files {

std::FILE* openForAppending(const std::string& path) {
    const HANDLE file = ::CreateFileW(wideFromUtf8(path).c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = lastErrorAsErrno();
        return nullptr;
    }
    const int descriptor =
        ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_APPEND | _O_BINARY);
    if (descriptor < 0) {
        ::CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = ::_fdopen(descriptor, "ab");
    if (stream == nullptr) ::_close(descriptor);
    return stream;
}

int flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return errno;
    return ::_commit(::_fileno(file)) == 0 ? 0 : errno;
}

} // namespace scriba8::files
