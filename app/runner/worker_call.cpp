// SPDX-License-Identifier: MIT
#include "worker_call.h"

#include "Scriba8_T3Plus_DLL.h"
#include "status_word.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace scriba8::app {
namespace {

bool isFinal(std::uint16_t value) { return value > S8_PROGRESS_MAX; }

// Plain storage, nothing to destroy: with emulated thread storage (MinGW) a
// thread_local object is destroyed after its memory is freed. The library
// refuses selections longer than the text's room.
struct ThreadProgrammer {
    const LibraryApi* api;
    bool chosen;
    std::size_t length;
    char selection[8192];

    std::optional<std::string> text() const {
        if (!chosen) return std::nullopt;
        return std::string(selection, length);
    }
};
thread_local ThreadProgrammer threadProgrammer{};

// Only the low 16 bits of a returned code carry meaning.
std::uint16_t finalCode(std::uint16_t first, std::int32_t second) {
    if (isFinal(first)) return first;
    const auto returned = static_cast<std::uint16_t>(second);
    return isFinal(returned) ? returned : static_cast<std::uint16_t>(S8_FAIL);
}

} // namespace

std::int32_t CallOnWorker(const std::function<std::int32_t()>& call, std::uint16_t* status,
                          const ProgressHooks& hooks) {
    std::uint16_t ownWord = 0;
    if (status == nullptr) status = &ownWord;
    const StatusWord word(status);
    word.start();
    if (hooks.showProgress) hooks.showProgress(true);

    std::int32_t returned = S8_FAIL;
    std::atomic<bool> finished{false};
    const auto programmer = std::make_unique<ThreadProgrammer>(threadProgrammer);
    std::thread worker([&] {
        if (programmer->api != nullptr) SelectProgrammerForThread(*programmer->api, programmer->text());
        returned = call();
        finished.store(true, std::memory_order_release);
    });

    std::uint16_t shown = 0;
    for (;;) {
        const std::uint16_t value = loadStatus(status);
        if (isFinal(value)) break;
        if (value != 0 && value != shown) {
            shown = value;
            if (hooks.progress) hooks.progress(value);
        }
        if (finished.load(std::memory_order_acquire)) break;
        if (hooks.idle)
            hooks.idle();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    if (hooks.showProgress) hooks.showProgress(false);

    // After the join everything the call wrote is visible here.
    return word.finish(finalCode(loadStatus(status), returned));
}

bool SelectProgrammerForThread(const LibraryApi& api, const std::optional<std::string>& selection) {
    if (api.SelectProgrammer == nullptr) return !selection;
    if (selection && selection->size() > sizeof threadProgrammer.selection) return false;
    if (api.SelectProgrammer(selection ? selection->c_str() : nullptr) != S8_PASS) return false;
    threadProgrammer.api = &api;
    threadProgrammer.chosen = selection.has_value();
    threadProgrammer.length = selection ? selection->size() : 0;
    if (selection) std::copy(selection->begin(), selection->end(), threadProgrammer.selection);
    return true;
}

std::int32_t CallHere(const std::function<std::int32_t()>& call, std::uint16_t* status) {
    const std::int32_t returned = call();
    return StatusWord(status).finish(finalCode(static_cast<std::uint16_t>(returned), returned));
}

} // namespace scriba8::app
