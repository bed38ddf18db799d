// SPDX-License-Identifier: MIT
// The atomic writer on Windows. The bytes go to a new file beside the
// target, written through to the disk, which then takes the target's place
// in one step: ReplaceFileW for a file that exists (it keeps the target's
// attributes and security), MoveFileExW for a new one.
#include "files/atomic_file.h"
#include "files/windows_text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <random>

#include <windows.h>

namespace scriba8::files {
namespace {

class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() {
        if (valid()) ::CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle) {
        if (valid()) ::CloseHandle(handle_);
        handle_ = handle;
    }
    // False when closing failed: buffered data may not have been written.
    bool close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int writeAll(HANDLE out, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(out, bytes.data() + done, chunk, &written, nullptr))
            return lastErrorAsErrno();
        if (written == 0) return ENOSPC;
        done += written;
    }
    return 0;
}

int writeDirectly(HANDLE out, std::span<const std::uint8_t> bytes) {
    int error = writeAll(out, bytes);
    // A console or a pipe cannot be flushed; only real write errors count.
    if (error == 0 && ::GetFileType(out) == FILE_TYPE_DISK && !::FlushFileBuffers(out))
        error = lastErrorAsErrno();
    return error;
}

bool notFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The folder part of path, with its separator; empty for a bare name.
std::wstring folderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A name of our own in folder: short, since the target's name may already
// be as long as allowed.
std::wstring temporaryName(const std::wstring& folder) {
    static std::atomic<unsigned> counter{0};
    static std::random_device entropy; // rand_s underneath: safe from any thread
    return folder + L".scriba8-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"-" + std::to_wstring(entropy() & 0xFFFFF) + L".tmp";
}

int createTemporary(const std::wstring& folder, std::wstring& temporary, Handle& file) {
    for (int attempt = 0; attempt < 32; ++attempt) {
        temporary = temporaryName(folder);
        const HANDLE made =
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (made != INVALID_HANDLE_VALUE) {
            file.reset(made);
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return errnoFromWindowsError(error);
    }
    return EEXIST;
}

// Where the bytes go when path is a symbolic link: its final target, so the
// link stays a link. A link whose target is missing is refused rather than
// replaced by a file.
int finalTarget(const std::wstring& path, std::wstring& target) {
    target = path;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return 0;
    const Handle file(::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) return lastErrorAsErrno();
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = ::GetFinalPathNameByHandleW(file.get(), nullptr, 0, kFlags);
    if (needed == 0) return lastErrorAsErrno();
    std::wstring resolved(needed, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), resolved.data(), needed, kFlags);
    if (length == 0 || length >= needed) return lastErrorAsErrno();
    resolved.resize(length);
    target = resolved;
    return 0;
}

// The new file takes an existing target's place. Every failure leaves the
// target with its old bytes under its own name.
int replaceExisting(const std::wstring& target, const std::wstring& temporary) {
    // With a backup name, ReplaceFileW never leaves the old file under a
    // name we would not know.
    const std::wstring backup = temporary + L".old";
    constexpr DWORD kFlags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), kFlags, nullptr,
                       nullptr)) {
        ::DeleteFileW(backup.c_str());
        return 0;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file is at the backup name, the new one still at its own.
        if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            ::DeleteFileW(backup.c_str());
            return 0;
        }
        const DWORD moveError = ::GetLastError();
        ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        return errnoFromWindowsError(moveError);
    }
    if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION) {
        // File systems without the replace operation still rename in one step.
        if (::MoveFileExW(temporary.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        return lastErrorAsErrno();
    }
    return errnoFromWindowsError(error);
}

int replaceRegularFile(const std::wstring& target, bool exists,
                       std::span<const std::uint8_t> bytes) {
    std::wstring temporary;
    Handle file;
    int error = createTemporary(folderOf(target), temporary, file);
    if (error != 0) return error;
    error = writeAll(file.get(), bytes);
    if (error == 0 && !::FlushFileBuffers(file.get())) error = lastErrorAsErrno();
    if (!file.close() && error == 0) error = lastErrorAsErrno();
    // The new file has the old one's attributes (hidden, system) whichever
    // way it takes the old one's place.
    if (error == 0 && exists) {
        const DWORD kept = ::GetFileAttributesW(target.c_str());
        constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (kept != INVALID_FILE_ATTRIBUTES && (kept & kCarried) != 0)
            ::SetFileAttributesW(temporary.c_str(), kept & kCarried);
    }
    if (error == 0) {
        // A target made by someone else meanwhile is replaced: the user asked for this file.
        error = exists ? replaceExisting(target, temporary)
                       : (::MoveFileExW(temporary.c_str(), target.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                              ? 0
                              : lastErrorAsErrno());
    }
    if (error != 0) ::DeleteFileW(temporary.c_str());
    return error;
}

bool isFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Refused without --force even where the user could write it anyway (an
// administrator, or Wine's root).
bool isReadOnly(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// The folder part as the system names the folder itself: without its
// separator, except for a root ("C:\", "\\").
std::wstring folderItself(const std::wstring& folder) {
    if (folder.empty()) return L".";
    if (folder.size() == 1 || folder[folder.size() - 2] == L':') return folder;
    return folder.substr(0, folder.size() - 1);
}

// The writer proper, once a --force has made a read-only target writable.
int writeUnlessReadOnly(const std::wstring& wide, DWORD attributes,
                        std::span<const std::uint8_t> bytes) {
    // Opening for writing changes nothing yet, and says whether the user may
    // write the file at all: a read-only file stays as it is, though the
    // folder would let a rename replace it.
    Handle existing(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!existing.valid()) {
        const DWORD error = ::GetLastError();
        if (!notFound(error)) return errnoFromWindowsError(error);
        if (attributes != INVALID_FILE_ATTRIBUTES) return ENOENT; // a link to nothing
    } else if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
        // A console, pipe or device (NUL, CON, COM1) cannot be replaced.
        int error = writeDirectly(existing.get(), bytes);
        if (!existing.close() && error == 0) error = lastErrorAsErrno();
        return error;
    }
    const bool exists = existing.valid();
    if (exists) existing.close();
    std::wstring target;
    if (const int error = finalTarget(wide, target); error != 0) return error;
    return replaceRegularFile(target, exists, bytes);
}

} // namespace

int writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                        ReadOnlyTarget readOnly) {
    if (path.empty()) return ENOENT;
    if (path == kStandardOutput) return writeDirectly(::GetStdHandle(STD_OUTPUT_HANDLE), bytes);

    const std::wstring wide = wideFromUtf8(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (isFolder(attributes)) return EISDIR;
    if (readOnly == ReadOnlyTarget::refuse && isReadOnly(attributes)) return EACCES;
    // --force: a read-only file is replaced like any other and stays
    // read-only, as the file it replaced was.
    const bool clearedReadOnly =
        readOnly == ReadOnlyTarget::replace && isReadOnly(attributes) &&
        ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != 0;
    const int error = writeUnlessReadOnly(wide, attributes, bytes);
    if (clearedReadOnly) ::SetFileAttributesW(wide.c_str(), attributes);
    return error;
}

int writeProblem(const std::string& path, ReadOnlyTarget readOnly) {
    if (path.empty()) return ENOENT;
    if (path == kStandardOutput) return 0;
    const std::wstring wide = wideFromUtf8(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (isFolder(attributes)) return EISDIR;
        if (isReadOnly(attributes)) return readOnly == ReadOnlyTarget::replace ? 0 : EACCES;
        const Handle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        return file.valid() ? 0 : lastErrorAsErrno();
    }
    if (const DWORD error = ::GetLastError(); !notFound(error)) return errnoFromWindowsError(error);
    const std::wstring folder = folderOf(wide);
    if (wide.size() - folder.size() > MAX_PATH - 5) return ENAMETOOLONG;
    const DWORD folderAttributes = ::GetFileAttributesW(folderItself(folder).c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES) return lastErrorAsErrno();
    if (!isFolder(folderAttributes)) return ENOTDIR;
    // Whether the folder takes a new file: one that vanishes as it is closed.
    const Handle probe(
        ::CreateFileW(temporaryName(folder).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return probe.valid() ? 0 : lastErrorAsErrno();
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty() || a == kStandardOutput || b == kStandardOutput) return false;
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    const auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        const Handle file(::CreateFileW(wideFromUtf8(path).c_str(), 0, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return file.valid() && ::GetFileInformationByHandle(file.get(), &info) != 0;
    };
    return identify(a, first) && identify(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace scriba8::files
