// SPDX-License-Identifier: MIT
#include "trace_store.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace scriba8::app {
namespace {

class MemoryTrace final : public TraceStore {
  public:
    explicit MemoryTrace(int fd) : fd_(fd) {}
    ~MemoryTrace() override { ::close(fd_); }
    MemoryTrace(const MemoryTrace&) = delete;
    MemoryTrace& operator=(const MemoryTrace&) = delete;

    std::string name() const override { return "/proc/self/fd/" + std::to_string(fd_); }

    std::size_t read(std::uint64_t offset, std::span<char> buffer) override {
        for (;;) {
            const ssize_t n =
                ::pread(fd_, buffer.data(), buffer.size(), static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }

    // Gives the pages back, so a long run does not hold its whole trace in memory.
    void release(std::uint64_t offset) override {
        const off_t done = static_cast<off_t>(offset) & ~static_cast<off_t>(4095);
        if (done > 0)
            static_cast<void>(
                ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 0, done));
    }

  private:
    int fd_;
};

} // namespace

std::unique_ptr<TraceStore> TraceStore::create() {
    const int fd = ::memfd_create("scriba8-trace", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    auto store = std::make_unique<MemoryTrace>(fd);
    // The library opens the trace by name; where that name cannot be opened
    // (no /proc), there is no store.
    const int probe = ::open(store->name().c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (probe < 0) return nullptr;
    ::close(probe);
    return store;
}

std::string StandardErrorTraceName() { return "/dev/stderr"; }

} // namespace scriba8::app
