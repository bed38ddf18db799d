// SPDX-License-Identifier: MIT
// The lock on Windows: LockFileEx on the whole of a file. A device path
// (\\?\hid#...) names no file that can be locked, so a programmer's lock is
// a file named after its path in the folder all users share; the lock goes
// with the handle, also when the process dies.
#include "files/lock_file.h"

#include "files/windows_text.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include <windows.h>

namespace scriba8 {
namespace {

class WindowsLockFile final : public LockFile {
  public:
    explicit WindowsLockFile(HANDLE file) : file_(file) {}
    ~WindowsLockFile() override { ::CloseHandle(file_); }
    WindowsLockFile(const WindowsLockFile&) = delete;
    WindowsLockFile& operator=(const WindowsLockFile&) = delete;

    Attempt tryLock() override {
        OVERLAPPED whole{};
        if (::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                         MAXDWORD, &whole)) {
            return Attempt::locked;
        }
        const DWORD error = ::GetLastError();
        return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Attempt::busy
                                                                          : Attempt::failed;
    }

  private:
    HANDLE file_;
};

bool isDevicePath(const std::string& path) {
    return path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\");
}

// %ProgramData%\Scriba8\locks\, made when missing; the temporary folder
// where there is no such folder.
std::wstring lockFolder() {
    wchar_t base[MAX_PATH + 1];
    DWORD length = ::GetEnvironmentVariableW(L"ProgramData", base, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        length = ::GetTempPathW(MAX_PATH + 1, base);
        if (length == 0 || length > MAX_PATH) return {};
        return std::wstring(base, length);
    }
    std::wstring folder(base, length);
    for (const wchar_t* part : {L"\\Scriba8", L"\\locks"}) {
        folder += part;
        ::CreateDirectoryW(folder.c_str(), nullptr); // already there is fine
    }
    return folder + L"\\";
}

// Device paths differ in letter case between enumerations of the same device.
std::wstring lockFileFor(const std::string& devicePath) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char c : devicePath) {
        hash ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
        hash *= 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "programmer-%016llx.lock",
                  static_cast<unsigned long long>(hash));
    return lockFolder() + files::wideFromUtf8(name);
}

HANDLE openShared(const std::wstring& path, DWORD access, DWORD disposition) {
    return ::CreateFileW(path.c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::unique_ptr<LockFile> LockFile::open(const std::string& path, bool create) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (isDevicePath(path)) {
        const std::wstring lockPath = lockFileFor(path);
        file = openShared(lockPath, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
        // Made by another user, it may be read-only for this one: a read
        // handle locks it as well.
        if (file == INVALID_HANDLE_VALUE) file = openShared(lockPath, GENERIC_READ, OPEN_EXISTING);
    } else {
        file = openShared(files::wideFromUtf8(path),
                          create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                          create ? OPEN_ALWAYS : OPEN_EXISTING);
    }
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<WindowsLockFile>(file);
}

} // namespace scriba8
