// SPDX-License-Identifier: MIT
// The terminal side of a run: where the log goes, the progress bar, and the
// library's questions and error messages.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "language.h"
#include "platform.h"
#include "worker_call.h"

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace scriba8::cli {

// How the library's yes/no questions are answered.
enum class Answer { ask, yes, no };

// Writes the log line by line, with plain newlines; a line appears once it
// is complete, so it never mixes with the progress bar.
class LogPrinter {
public:
    // Null out: nothing is written.
    explicit LogPrinter(std::FILE* out) : out_(out) {}
    void write(std::string_view piece);
    void flush(); // a pending partial line, if any

private:
    std::FILE* out_;
    std::string pending_;
};

// A one-line bar on a terminal while data streams; nothing elsewhere.
class ProgressBar {
public:
    ProgressBar(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
    void show(bool visible);
    void update(std::uint16_t percent);
    app::ProgressHooks hooks();

private:
    std::FILE* out_;
    bool enabled_;
    bool drawn_ = false;
};

// The library's host callbacks. Questions are answered by --yes/--no, asked
// on the terminal otherwise, and answered No when there is no terminal to
// ask on. Saving takes the path given on the command line.
class HostPrompts {
public:
    HostPrompts(Answer answer, bool interactive, std::FILE* in, std::FILE* err,
                app::Language language = app::Language::english);
    HostPrompts(const HostPrompts&) = delete;
    HostPrompts& operator=(const HostPrompts&) = delete;

    const S8HostCallbacks* table() const { return &table_; }
    void setSavePath(std::string path) { savePath_ = std::move(path); }

    bool ask(const char* text);
    void showError(const char* text);
    bool chooseSaveFile(char* path, std::size_t pathSize) const;

private:
    Answer answer_;
    bool interactive_;
    app::Language language_;
    std::FILE* in_;
    std::FILE* err_;
    std::string savePath_;
    std::mutex mutex_; // questions come from worker threads
    S8HostCallbacks table_{};
};

} // namespace scriba8::cli
