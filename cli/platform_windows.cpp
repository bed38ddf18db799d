// SPDX-License-Identifier: MIT
#include "platform.h"

#include "files/windows_text.h"

#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include <windows.h>

#include <shellapi.h>

namespace scriba8::cli {
namespace {

UINT consoleCodePage = 0;

void restoreConsoleCodePage() { ::SetConsoleOutputCP(consoleCodePage); }

// The console shows UTF-8 for the time scriba8 runs, and draws the progress
// bar's control sequences.
void prepareConsole() {
    consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(&restoreConsoleCodePage);
    for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE console = ::GetStdHandle(which);
        DWORD mode = 0;
        if (::GetConsoleMode(console, &mode))
            ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

} // namespace

std::vector<std::string> PrepareProcess(int argc, char** argv) {
    // "-o -" writes binary data, and the log is the same text as on the
    // other systems: no newline translation.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    prepareConsole();

    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr) return {argv, argv + argc};
    std::vector<std::string> utf8;
    for (int i = 0; i < count; ++i)
        utf8.push_back(files::utf8FromWide(words[i]));
    ::LocalFree(words);
    return utf8;
}

bool IsTerminal(std::FILE* stream) {
    if (stream == nullptr) return false;
    const std::intptr_t handle = ::_get_osfhandle(::_fileno(stream));
    DWORD mode = 0;
    return handle != -1 && ::GetConsoleMode(reinterpret_cast<HANDLE>(handle), &mode) != 0;
}

} // namespace scriba8::cli
