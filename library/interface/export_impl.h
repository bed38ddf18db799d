// SPDX-License-Identifier: MIT
// The library's implementations behind the C exports. exports.cpp only
// forwards; each area implements its own entries.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>

namespace scriba8 {

void dllInfo(std::uint32_t* version, std::uint32_t* edition);
std::int32_t bodyInfo(const BodyInfo** first);

std::int32_t checkId(ContextRecord* ctx);
std::int32_t erase(ContextRecord* ctx);
std::int32_t blankCheck(ContextRecord* ctx);
std::int32_t wholeChipErase(ContextRecord* ctx);
std::int32_t program(ContextRecord* ctx);
std::int32_t programEeprom(ContextRecord* ctx);
std::int32_t verify(ContextRecord* ctx);
std::int32_t writeOptions(ContextRecord* ctx);
std::int32_t readOptions(ContextRecord* ctx);
std::int32_t readCheckSum(ContextRecord* ctx, std::uint16_t* checksum);
std::int32_t dumpTarget(ContextRecord* ctx);

std::int32_t saveVlx(ContextRecord* ctx);
std::int32_t loadVlxFooter(ContextRecord* ctx);
std::int32_t loadVlxBuffer(ContextRecord* ctx);
std::int32_t insertIspCode(ContextRecord* ctx);
std::int32_t offLineMode(ContextRecord* ctx);
std::int32_t readOffLineModeInfo(ContextRecord* ctx);

} // namespace scriba8
