// SPDX-License-Identifier: MIT
#include "transfer_watch.h"
#include "trace_store.h"

#include "files/append_file.h"
#include "files/environment.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace scriba8::app {
namespace {

struct Watch {
    std::mutex mutex;
    std::unique_ptr<TraceStore> store; // the trace the library appends to
    std::FILE* echo = nullptr;
    std::uint64_t taken = 0; // bytes already looked at
    std::string partial;     // a line not yet complete
    LinkFault fault = LinkFault::none;
};

Watch& watch() {
    static Watch instance;
    return instance;
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
    if (w.store) return;
    w.store = TraceStore::create();
    if (!w.store) {
        // The trace stays as the user set it.
        const std::string standardError = StandardErrorTraceName();
        if (verbose && !standardError.empty())
            files::setEnvironmentValue("SCRIBA8_TRACE", standardError);
        return;
    }
    const std::optional<std::string> asked = files::environmentValue("SCRIBA8_TRACE");
    if (verbose) {
        w.echo = stderr;
    } else if (asked && !asked->empty()) {
        w.echo = files::openForAppending(*asked);
        if (w.echo == nullptr)
            std::fprintf(stderr, "scriba8: cannot append the transfer trace to %s: %s\n",
                         asked->c_str(), std::strerror(errno));
    }
    files::setEnvironmentValue("SCRIBA8_TRACE", w.store->name());
}

void PumpTransfers() {
    Watch& w = watch();
    const std::lock_guard lock(w.mutex);
    if (!w.store) return;
    char buffer[16384];
    for (;;) {
        const std::size_t n = w.store->read(w.taken, buffer);
        if (n == 0) break;
        w.taken += n;
        const std::string_view chunk(buffer, n);
        // An echo that fails must not stop the work.
        if (w.echo != nullptr && std::fwrite(chunk.data(), 1, n, w.echo) == n) std::fflush(w.echo);
        // Only whole lines are judged; a line cut by the read is kept.
        w.partial += chunk;
        const std::size_t lastEnd = w.partial.rfind('\n');
        if (lastEnd == std::string::npos) continue;
        if (w.fault == LinkFault::none)
            w.fault = LinkFaultIn(std::string_view(w.partial).substr(0, lastEnd + 1));
        w.partial.erase(0, lastEnd + 1);
    }
    w.store->release(w.taken);
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
