// SPDX-License-Identifier: MIT
// Ctrl-C and Ctrl-Break reach a console program through its control handler,
// on a thread of their own.
#include "interruption.h"

#include <atomic>

#include <windows.h>

namespace scriba8::cli {
namespace {

std::atomic<bool> stopRequested{false};
std::string_view note = StoppingNote(app::Language::english);

BOOL WINAPI onControl(DWORD event) {
    // Closing the console, logging off and shutting down end the process as usual.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    // The second time the user means now: the system's handler ends the process.
    if (stopRequested.exchange(true)) return FALSE;
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), note.data(), static_cast<DWORD>(note.size()),
                &written, nullptr);
    return TRUE;
}

} // namespace

void WatchForInterruption(app::Language language) {
    note = StoppingNote(language);
    ::SetConsoleCtrlHandler(&onControl, TRUE);
}

bool StopRequested() { return stopRequested.load(); }

} // namespace scriba8::cli
