// SPDX-License-Identifier: MIT
// The entries of the hardware option lists as the options panel shows them:
// choice texts, ISP sizes and IAP page counts, and which entry stands for a
// selection value. Qt-free, so the rules are tested without widgets.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::app {

inline constexpr std::uint32_t kIapPage = 512;

enum class ItemKind { unused, ispSize, iapSize, trimFrequency, labels };
ItemKind KindOf(const OptionItem& item);

// The comma-separated parts of a choices text; empty parts are skipped.
std::vector<std::string> SplitChoices(const char* choices);

// The sizes in bytes of the "size|code" pairs of an ISP_SIZE item, in order.
std::vector<std::uint32_t> IspPairSizes(const OptionItem& item);

// The ISP area in bytes that the selection's ISP_SIZE item stands for; 0
// without one or for a value with no pair.
std::uint32_t SelectedIspSize(const BodyInfo& chip, const ContextRecord& selection);

// "%.1f k": an ISP size in bytes (divided in single precision) and an IAP
// size in 512-byte pages.
std::string IspSizeText(std::uint32_t bytes);
std::string IapSizeText(std::uint32_t pages);

// An ISP size read back from its shown text: the text without its last two
// characters, in kilobytes, truncated to whole bytes.
std::uint32_t IspBytesFromText(std::string_view shown);

// The page counts of the IAP_SIZE list beside an ISP area: 0 .. room / 512
// pages, without the single page when the room is exactly 64 KB (that one
// cannot be encoded there).
std::vector<std::uint32_t> IapPageCounts(std::uint32_t room);

// The list entries of item slot k when the panel is filled for the chip.
std::vector<std::string> ItemEntries(const BodyInfo& chip, int slot);

// The IAP pages that a record's value stands for. On a 64 KB chip without an
// ISP area the values Write Options takes count one page less than the area
// (value 1 is 1.0 k); everywhere else value v is v pages.
std::uint32_t IapPagesOfValue(const BodyInfo& chip, const ContextRecord& selection,
                              std::int32_t value);

// The text of a selection value of item slot k: the ISP size, the IAP size
// (record values, see IapPagesOfValue, unless decoded, then v pages), or the
// choice; empty for a value without one.
std::string ItemValueText(const BodyInfo& chip, const ContextRecord& selection, int slot,
                          bool decoded);

} // namespace scriba8::app
