// SPDX-License-Identifier: MIT
// One library call on a worker thread while the calling thread follows the
// status word.
#pragma once

#include "library_api.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace scriba8::app {

struct ProgressHooks {
    // Shown before the worker starts, hidden after it has been joined.
    std::function<void(bool visible)> showProgress;
    // Each new transfer percentage (1..100), on the calling thread.
    std::function<void(std::uint16_t percent)> progress;
    // Called between two looks at the status word, for instance to keep a
    // window painted; without it the caller sleeps a millisecond.
    std::function<void()> idle;
    // Work of unknown length (a firmware update) goes on, or has ended: the
    // bar shows that something happens instead of a percentage. Called from
    // whichever thread learns it.
    std::function<void(bool running)> busy;
};

// Sets the status word to 0, runs call on a new thread and polls the word
// until it holds a final code or the call has returned, then joins. The
// result is the final code in the status word; should the call have left
// none there, its return value, or failure (102) when that is no final code
// either. The result is left in the status word.
std::int32_t CallOnWorker(const std::function<std::int32_t()>& call, std::uint16_t* status,
                          const ProgressHooks& hooks);

// The same contract for a call on the calling thread: the return value is
// the result.
std::int32_t CallHere(const std::function<std::int32_t()>& call, std::uint16_t* status);

// Gives the calling thread a programmer of its own (the library selects
// programmers per thread), and every worker CallOnWorker starts from it the
// same one: a process that drives several programmers runs each from a
// thread. Nothing returns the thread to SCRIBA8_PROGRAMMER. False when the
// library does not understand the selection.
bool SelectProgrammerForThread(const LibraryApi& api, const std::optional<std::string>& selection);

} // namespace scriba8::app
