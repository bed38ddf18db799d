// SPDX-License-Identifier: MIT
// The C ABI of the library. Nothing here but forwarding: no exception may
// cross this boundary, so each call is guarded.
#include "export_impl.h"
#include "link/programmer_hold.h"
#include "link/programmer_selection.h"
#include "status_word.h"

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace {

template <typename Fn>
std::int32_t guarded(ContextRecord* ctx, Fn&& fn) {
    if (ctx == nullptr) return S8_FAIL;
    try {
        return fn();
    } catch (...) {
        // Out of memory is the only exception the library can meet; report it
        // as a failure instead of tearing down the host.
        return scriba8::StatusWord(ctx->status).finish(S8_FAIL);
    }
}

} // namespace

extern "C" {

void GetDLLInfo(uint32_t* version, uint32_t* edition) { scriba8::dllInfo(version, edition); }

int32_t GetBodyInfo(const BodyInfo** first) { return scriba8::bodyInfo(first); }

int32_t CheckID(ContextRecord* ctx) { return guarded(ctx, [&] { return scriba8::checkId(ctx); }); }
int32_t Erase(ContextRecord* ctx) { return guarded(ctx, [&] { return scriba8::erase(ctx); }); }
int32_t BlankCheck(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::blankCheck(ctx); });
}
int32_t WholeChipErase(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::wholeChipErase(ctx); });
}
int32_t Program(ContextRecord* ctx) { return guarded(ctx, [&] { return scriba8::program(ctx); }); }
int32_t ProgramEEPROM(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::programEeprom(ctx); });
}
int32_t Verify(ContextRecord* ctx) { return guarded(ctx, [&] { return scriba8::verify(ctx); }); }
int32_t WriteOptions(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::writeOptions(ctx); });
}
int32_t ReadOptions(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::readOptions(ctx); });
}
int32_t ReadCheckSum(ContextRecord* ctx, uint16_t* checksum) {
    return guarded(ctx, [&] { return scriba8::readCheckSum(ctx, checksum); });
}
int32_t DumpTarget(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::dumpTarget(ctx); });
}
int32_t SaveVLX(ContextRecord* ctx) { return guarded(ctx, [&] { return scriba8::saveVlx(ctx); }); }
int32_t LoadVLXFooter(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::loadVlxFooter(ctx); });
}
int32_t LoadVLXBuffer(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::loadVlxBuffer(ctx); });
}
int32_t InsertISPcode(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::insertIspCode(ctx); });
}
int32_t OffLineMode(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::offLineMode(ctx); });
}
int32_t ReadOffLineModeInfo(ContextRecord* ctx) {
    return guarded(ctx, [&] { return scriba8::readOffLineModeInfo(ctx); });
}

} // extern "C"

struct S8ProgrammerHold {
    std::unique_ptr<scriba8::ProgrammerHold> hold;
};

extern "C" {

int32_t S8HoldProgrammer(const S8HoldOptions* options, S8ProgrammerHold** hold) {
    if (hold == nullptr) return S8_FAIL;
    *hold = nullptr;
    try {
        scriba8::LockWaitOptions wait;
        if (options != nullptr) {
            if (options->waitMs >= 0) wait.limit = std::chrono::milliseconds(options->waitMs);
            if (options->cancelled != nullptr)
                wait.cancelled = [options] { return options->cancelled(options->user) != 0; };
            if (options->waiting != nullptr)
                wait.waiting = [options](const std::string& path) {
                    options->waiting(options->user, path.c_str());
                };
        }
        scriba8::HoldOutcome outcome = scriba8::HoldSelectedProgrammer(wait);
        if (outcome.result == S8_PASS) *hold = new S8ProgrammerHold{std::move(outcome.hold)};
        return outcome.result;
    } catch (...) {
        return S8_FAIL;
    }
}

void S8ReleaseProgrammer(S8ProgrammerHold* hold) { delete hold; }

int32_t S8SelectProgrammer(const char* selection) {
    try {
        const std::optional<std::string> text =
            selection != nullptr ? std::optional<std::string>(selection) : std::nullopt;
        return scriba8::SelectProgrammerForThread(text) ? S8_PASS : S8_FAIL;
    } catch (...) {
        return S8_FAIL;
    }
}

} // extern "C"
