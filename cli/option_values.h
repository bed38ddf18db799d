// SPDX-License-Identifier: MIT
// Hardware options by name on the command line ("ISP_SIZE=2.0k",
// "LOCK=on") and the texts that show a selection.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "language.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::cli {

// How the record's item values are to be read. Values the user chose are
// what Write Options will encode; values decoded from option bytes count
// the IAP area exactly, which differs on 64 KB chips without an ISP area.
enum class SelectionSource { toWrite, decoded };

// Sizes as "0", "0.5k", "1.0k", "1.5k"...
std::string SizeText(std::uint32_t bytes);
// "2.0k", "2k", "2 K", a byte count ("2048", "0x800"); nothing otherwise.
std::optional<std::uint32_t> ParseSize(std::string_view text);
// "on"/"off" in any letter case, or "1"/"0"; nothing else, so a typo never
// flips a lock bit.
std::optional<bool> ParseSwitch(std::string_view text);

// The ISP area in bytes that the selection's ISP_SIZE item stands for; 0
// without one.
std::uint32_t SelectedIspSize(const BodyInfo& chip, const ContextRecord& record);

// Sets one option from "NAME=VALUE". Names match in any letter case, with
// blanks, '_' and '-' ignored. Returns what is wrong, naming what would be
// accepted (in the given language), or nothing.
std::optional<std::string> SetItem(const BodyInfo& chip, ContextRecord& record,
                                   std::string_view setting,
                                   app::Language language = app::Language::english);
std::optional<std::string> SetBit(const BodyInfo& chip, ContextRecord& record,
                                  std::string_view setting,
                                  app::Language language = app::Language::english);

// Item settings first (ISP_SIZE before the others, since the IAP area is
// measured beside the ISP area), then bits; finally checks that the IAP
// area still fits. An option given twice with different values is an
// error. The first error, or nothing.
std::optional<std::string> ApplySettings(const BodyInfo& chip, ContextRecord& record,
                                         std::span<const std::string> items,
                                         std::span<const std::string> bits,
                                         app::Language language = app::Language::english);

// What each used item can be set to, as the user would type it; a range
// is described in the given language.
std::vector<std::string> ItemChoiceTexts(const BodyInfo& chip, int slot,
                                         const ContextRecord& record,
                                         app::Language language = app::Language::english);

struct ItemText {
    std::string name;
    std::string value;
};
struct BitState {
    std::string name;
    bool active = false;
};
struct SelectionTexts {
    std::vector<ItemText> items; // used slots only, in slot order
    std::vector<BitState> bits;
};
SelectionTexts DescribeSelection(const BodyInfo& chip, const ContextRecord& record,
                                 SelectionSource source);

// The English part of a bit's two-language description.
std::string_view EnglishDescription(const OptionBit& bit);
// The part in the given language; the English one when the table has no
// other.
std::string_view BitDescription(const OptionBit& bit, app::Language language);

} // namespace scriba8::cli
