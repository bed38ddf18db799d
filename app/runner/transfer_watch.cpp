// SPDX-License-Identifier: MIT
#include "transfer_watch.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace scriba8::app {
namespace {

struct Watch {
    std::mutex mutex;
    int memory = -1; // the trace the library appends to
    int echo = -1;
    off_t taken = 0; // bytes already looked at
    std::string partial; // a line not yet complete
    LinkFault fault = LinkFault::none;
};

Watch& watch() {
    static Watch instance;
    return instance;
}

void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // an echo that fails must not stop the work
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace

LinkFault LinkFaultIn(std::string_view traceLines) {
    while (!traceLines.empty()) {
        const std::size_t end = traceLines.find('\n');
        const std::string_view line = traceLines.substr(0, end);
        if (line.starts_with("TIMEOUT ")) return LinkFault::noReply;
        if (line.starts_with("TAG ")) return LinkFault::wrongTag;
        if (end == std::string_view::npos) break;
        traceLines.remove_prefix(end + 1);
    }
    return LinkFault::none;
}

void WatchTransfers(bool verbose) {
    Watch& w = watch();
    const std::lock_guard lock(w.mutex);
    if (w.memory >= 0) return;
    w.memory = ::memfd_create("scriba8-trace", MFD_CLOEXEC);
    if (w.memory < 0) return;
    const char* asked = std::getenv("SCRIBA8_TRACE");
    if (verbose) {
        w.echo = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    } else if (asked != nullptr && *asked != '\0') {
        w.echo = ::open(asked, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (w.echo < 0)
            std::fprintf(stderr, "scriba8: cannot append the transfer trace to %s: %s\n", asked,
                         std::strerror(errno));
    }
    // The library opens the trace by name; where that name cannot be
    // opened (no /proc), the trace stays as the user set it.
    const std::string path = "/proc/self/fd/" + std::to_string(w.memory);
    const int probe = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (probe < 0) {
        ::close(w.memory);
        w.memory = -1;
        if (w.echo >= 0) ::close(w.echo);
        w.echo = -1;
        if (verbose) setenv("SCRIBA8_TRACE", "/dev/stderr", 1);
        return;
    }
    ::close(probe);
    setenv("SCRIBA8_TRACE", path.c_str(), 1);
}

void PumpTransfers() {
    Watch& w = watch();
    const std::lock_guard lock(w.mutex);
    if (w.memory < 0) return;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::pread(w.memory, buffer, sizeof buffer, w.taken);
        if (n <= 0) break;
        w.taken += n;
        const std::string_view chunk(buffer, static_cast<std::size_t>(n));
        if (w.echo >= 0) writeAll(w.echo, chunk);
        // Only whole lines are judged; a line cut by the read is kept.
        w.partial += chunk;
        const std::size_t lastEnd = w.partial.rfind('\n');
        if (lastEnd == std::string::npos) continue;
        if (w.fault == LinkFault::none)
            w.fault = LinkFaultIn(std::string_view(w.partial).substr(0, lastEnd + 1));
        w.partial.erase(0, lastEnd + 1);
    }
    // What was read is no longer needed: give its pages back, so a long run
    // does not hold its whole trace in memory.
    const off_t done = w.taken & ~static_cast<off_t>(4095);
    if (done > 0) static_cast<void>(::fallocate(w.memory, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 0, done));
}

LinkFault TakeLinkFault() {
    PumpTransfers();
    Watch& w = watch();
    const std::lock_guard lock(w.mutex);
    const LinkFault fault = w.fault;
    w.fault = LinkFault::none;
    return fault;
}

} // namespace scriba8::app
