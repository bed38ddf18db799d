// SPDX-License-Identifier: MIT
#include "platform.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace scriba8::cli {

namespace {

// A closed descriptor 1 would go to the next file opened (the transfer
// trace, an output file) and "-o -" would write into that. /dev/null opened
// for reading only keeps the place and makes every write fail (EBADF), so
// the tool reports the closed stream instead of succeeding into nothing.
void reserveClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int stand = ::open("/dev/null", O_RDONLY);
        if (stand >= 0 && stand != fd) {
            ::dup2(stand, fd);
            ::close(stand);
        }
    }
}

} // namespace

std::vector<std::string> PrepareProcess(int argc, char** argv) {
    reserveClosedStandardStreams();
    return {argv, argv + argc};
}

bool IsTerminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

} // namespace scriba8::cli
