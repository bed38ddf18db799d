// SPDX-License-Identifier: MIT
#include "files/file_reading.h"
#include "files/windows_text.h"

#include <algorithm>
#include <cerrno>

#include <windows.h>

namespace scriba8::files {
namespace {

HANDLE asHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

} // namespace

void ReadableFile::close() {
    if (handle_ != kNoHandle) ::CloseHandle(asHandle(handle_));
    handle_ = kNoHandle;
}

int ReadableFile::open(const std::string& path) {
    if (path.empty()) return error_ = ENOENT;
    const std::wstring wide = wideFromUtf8(path);
    // A folder cannot be opened as a file at all; say what it is.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return error_ = kNotRegularFile;
    // Others may go on writing, renaming or deleting the file: what is read
    // is checked by its caller anyway.
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return error_ = lastErrorAsErrno();
    // A console, a pipe or a device (CON, NUL, COM1) is no code file.
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
        ::CloseHandle(file);
        return error_ = kNotRegularFile;
    }
    close();
    handle_ = reinterpret_cast<std::intptr_t>(file);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return error_ = 0;
}

bool ReadableFile::read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (handle_ == kNoHandle || offset > size_ || out.size() > size_ - offset) {
        error_ = EINVAL;
        return false;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(asHandle(handle_), out.data() + done, wanted, &got, &where)) {
            error_ = ::GetLastError() == ERROR_HANDLE_EOF ? EIO : lastErrorAsErrno();
            return false;
        }
        if (got == 0) {
            error_ = EIO; // the file shrank under us
            return false;
        }
        done += got;
    }
    return true;
}

} // namespace scriba8::files
