// SPDX-License-Identifier: MIT
// A job of several device commands (erase, program, verify; an auto
// sequence; an off-line download with its firmware check) holds its
// programmer from the first command to the last, so another process cannot
// use it in between.
#pragma once

#include "library_api.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace scriba8::app {

struct HoldRequest {
    // How long to wait while another process uses the programmer: nothing =
    // until it is free, zero = not at all.
    std::optional<std::chrono::milliseconds> wait;
    // Asked while waiting; true gives up.
    std::function<bool()> cancelled;
    // Once, after a second of waiting, with the programmer's path; empty:
    // the library says so on stderr.
    std::function<void(const std::string& programmer)> waiting;
};

class ProgrammerHold {
public:
    ProgrammerHold(const LibraryApi& api, HoldRequest request = {});
    ~ProgrammerHold();
    ProgrammerHold(const ProgrammerHold&) = delete;
    ProgrammerHold& operator=(const ProgrammerHold&) = delete;

    // S8_PASS (also when the library cannot hold), S8_PROGRAMMER_BUSY,
    // S8_CANCELLED, or S8_NO_PROGRAMMER: none to hold, which the job's first
    // command will explain.
    std::int32_t result() const { return result_; }
    // Whether the job may go on: anything but busy and cancelled.
    bool mayGoOn() const { return result_ != S8_PROGRAMMER_BUSY && result_ != S8_CANCELLED; }

private:
    static int askCancelled(void* user);
    static void tellWaiting(void* user, const char* programmer);

    const LibraryApi& api_;
    HoldRequest request_;
    S8ProgrammerHold* hold_ = nullptr;
    std::int32_t result_ = S8_PASS;
};

} // namespace scriba8::app
