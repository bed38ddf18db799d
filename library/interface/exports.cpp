// SPDX-License-Identifier: MIT
// The C ABI of the library. Nothing here but forwarding: no exception may
// cross this boundary, so each call is guarded.
#include "export_impl.h"
#include "status_word.h"

#include <exception>

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
