// SPDX-License-Identifier: MIT
#include "files/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace scriba8::files {
namespace {

namespace fs = std::filesystem;

// Paths that name an open descriptor of this process: replacing the file
// they lead to would not reach what the descriptor refers to.
bool namesDescriptor(std::string_view path) {
    return path == "/dev/stdout" || path == "/dev/stderr" || path.starts_with("/dev/fd/") ||
           path.starts_with("/proc/self/fd/");
}

// Past the file size limit a write raises SIGXFSZ, which ends the process
// and leaves the temporary file behind. Ignored, the write fails with
// EFBIG and is cleaned up like any other failure.
void ignoreFileSizeSignal() {
    static const bool done = [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)done;
}

int writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return ENOSPC;
        done += static_cast<std::size_t>(written);
    }
    return 0;
}

int writeDirectly(int fd, std::span<const std::uint8_t> bytes) {
    int error = writeAll(fd, bytes);
    // A terminal or pipe cannot be synced; only real write errors count.
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) error = errno;
    return error;
}

// Where the bytes finally go: a link's target, followed to the end even
// when the target does not exist yet.
fs::path finalTarget(const fs::path& path) {
    fs::path current = path;
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error) return current;
        const fs::path next = fs::read_symlink(current, error);
        if (error) return current;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current;
}

int createTemporary(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 32; ++attempt) {
        // A short name of its own: the target's name may already be as long as allowed.
        const std::string name = ".scriba8-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++) + "-" +
                                 std::to_string(entropy() & 0xFFFFF) + ".tmp";
        temporary = folder / name;
        // Mode 0666 lets the umask decide, as for any new file.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -errno;
    }
    return -EEXIST;
}

void syncFolder(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // the rename is done; a folder that cannot be synced changes nothing
    ::close(fd);
}

int replaceRegularFile(const fs::path& target, const struct stat* existing,
                       std::span<const std::uint8_t> bytes) {
    fs::path temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) return -fd;

    int error = 0;
    if (existing != nullptr) {
        // Keep the permissions and, where allowed, the owner the file had.
        if (::fchmod(fd, existing->st_mode & 07777) != 0) error = errno;
        if (error == 0 && ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
            // Only a privileged user may give a file away; others keep their own.
        }
    }
    if (error == 0) error = writeAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    syncFolder(target);
    return 0;
}


// Opens what cannot be replaced for writing. A pipe is opened without
// waiting: no reader means the write would wait for one forever.
int openDirectTarget(const std::string& path, const struct stat& existing) {
    const bool pipe = S_ISFIFO(existing.st_mode);
    const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | (S_ISREG(existing.st_mode) ? O_TRUNC : 0);
    const int fd = ::open(path.c_str(), flags | (pipe ? O_NONBLOCK : 0));
    if (fd < 0) return errno == ENXIO && pipe ? kNoReader : -errno;
    if (pipe) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// A file the user made read-only stays as it is, though the folder would
// let a rename replace it; for root too, whom the system lets write it.
int permissionProblem(const std::string& path, const struct stat& existing,
                      ReadOnlyTarget readOnly) {
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    if (readOnly == ReadOnlyTarget::refuse && S_ISREG(existing.st_mode) &&
        (existing.st_mode & 0222) == 0)
        return EACCES;
    return 0;
}

} // namespace

int writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                        ReadOnlyTarget readOnly) {
    ignoreFileSizeSignal();
    if (path.empty()) return ENOENT;
    if (path == kStandardOutput) return writeDirectly(STDOUT_FILENO, bytes);

    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return errno;
    if (exists && S_ISDIR(existing.st_mode)) return EISDIR;
    if (exists && (!S_ISREG(existing.st_mode) || namesDescriptor(path))) {
        const int fd = openDirectTarget(path, existing);
        if (fd < 0) return fd == kNoReader ? kNoReader : -fd;
        int error = writeDirectly(fd, bytes);
        if (::close(fd) != 0 && error == 0) error = errno;
        return error;
    }
    if (exists) {
        if (const int problem = permissionProblem(path, existing, readOnly); problem != 0)
            return problem;
    }
    const fs::path target = finalTarget(path);
    return replaceRegularFile(target, exists ? &existing : nullptr, bytes);
}

int writeProblem(const std::string& path, ReadOnlyTarget readOnly) {
    if (path.empty()) return ENOENT;
    if (path == kStandardOutput) return 0;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return EISDIR;
        return permissionProblem(path, existing, readOnly);
    }
    if (errno != ENOENT) return errno;
    const fs::path target = finalTarget(path);
    if (target.filename().string().size() > NAME_MAX) return ENAMETOOLONG;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return errno;
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty() || a == kStandardOutput || b == kStandardOutput) return false;
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace scriba8::files
