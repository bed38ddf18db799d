#include "files/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace scriba8 {
namespace {

namespace fs = std::filesystem;

// Writing through a link replaces the file it names, not the link itself.
fs::path resolveLink(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
    const fs::path target = fs::weakly_canonical(path, error);
    return error ? path : target;
}

// Opens a new, exclusive temporary file next to target; -1 on failure.
int createTemporary(const fs::path& target, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    for (int attempt = 0; attempt < 32; ++attempt) {
        // A short name of its own: the target's name may already be as long as allowed.
        const std::string name = ".scriba8-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++) + "-" +
                                 std::to_string(entropy() & 0xFFFFF) + ".tmp";
        temporary = target.parent_path() / name;
        // Mode 0666 lets the umask decide, as for any new file.
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

bool replaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes) {
    const fs::path target = resolveLink(path);
    fs::path temporary;
    const int fd = createTemporary(target, temporary);
    if (fd < 0) return false;

    bool ok = true;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        // Keep the permissions the user gave the project.
        ok = S_ISREG(existing.st_mode) && ::fchmod(fd, existing.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

} // namespace scriba8
