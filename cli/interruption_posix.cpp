// SPDX-License-Identifier: MIT
#include "interruption.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace scriba8::cli {
namespace {

std::atomic<bool> stopRequested{false};
std::string_view note = StoppingNote(app::Language::english);

void onSignal(int signal) {
    if (stopRequested.exchange(true)) {
        // The second time: the user means now.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    const ssize_t written = ::write(STDERR_FILENO, note.data(), note.size());
    static_cast<void>(written);
}

} // namespace

void WatchForInterruption(app::Language language) {
    note = StoppingNote(language);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested.load(); }

} // namespace scriba8::cli
