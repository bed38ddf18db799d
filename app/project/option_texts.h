// The texts of an option selection as the request form and the read-back
// dialog print them: sizes in kilobytes, other items by their choice label.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scriba8::app {

// An unused option slot is named "NA".
bool IsUnusedSlot(const char* name);

// Non-empty piece n of a comma-separated choices list; nothing when the list
// is shorter (or n is negative).
std::optional<std::string_view> ChoicePiece(std::string_view choices, std::int64_t n);

// The size part of "size|code" pair n of an ISP_SIZE choices list, divided
// by 1024, as "%.1f k". Empty when there is no such pair.
std::string IspSizeText(std::string_view choices, std::int64_t n);

// How IAP_SIZE values count: as stored in a project (the options panel's
// list) or as read back from the programmer.
enum class IapCounting { selection, readBack };

// The value text of option item k at value v. For the form (selection
// counting) a 64 KB chip whose ISP_SIZE value is 0 has no 0.5 k IAP entry,
// so values from 1 up stand for one page more. Empty for an item with no
// text (an unused slot, or a value beyond its choices).
std::string ItemValueText(const BodyInfo& chip, const std::int32_t (&itemValue)[S8_ITEM_COUNT],
                          int k, IapCounting counting);

// text right-aligned in width characters (UTF-8 characters, not bytes).
std::string RightAligned(std::string_view text, std::size_t width);

// The characters of an 8-bit field up to its first 0xFF, each byte taken as
// the character with that code (Latin-1), as UTF-8.
std::string FieldBytesText(const std::uint8_t* bytes, std::size_t size);

} // namespace scriba8::app
