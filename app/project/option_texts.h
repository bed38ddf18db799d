// SPDX-License-Identifier: MIT
// The texts of an option selection as the request form and the read-back
// dialog print them: sizes in kilobytes, other items by their choice label.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace scriba8::app {

// An unused option slot is named "NA".
bool IsUnusedSlot(const char* name);

// The value text of option item k of a record: the options panel's text,
// and "%d k" for items whose sizes are whole kilobytes. For a record read
// back from the programmer, IAP values count pages as they are; a record's
// own selection counts them as the options panel does. Empty for an item
// with no text (an unused slot, or a value beyond its choices).
enum class IapCounting { selection, readBack };
std::string OptionValueText(const BodyInfo& chip, const ContextRecord& record, int k,
                            IapCounting counting);

// text right-aligned in width characters (UTF-8 characters, not bytes).
std::string RightAligned(std::string_view text, std::size_t width);

// The characters of an 8-bit field up to its first 0xFF, each byte taken as
// the character with that code (Latin-1), as UTF-8.
std::string FieldBytesText(const std::uint8_t* bytes, std::size_t size);

} // namespace scriba8::app
