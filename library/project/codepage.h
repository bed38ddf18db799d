// SPDX-License-Identifier: MIT
// Conversion between the record's UTF-8 texts and the 8-bit legacy code page
// that project files carry (CP936 by default, which is what tools on the
// other platform write; SCRIBA8_CODEPAGE names another code page: an iconv
// name, or on Windows CP<number> of a code page of one or two bytes a
// character).
#pragma once

#include <string>
#include <string_view>

namespace scriba8 {

// The name of the code page project texts use ("CP936").
std::string projectCodePage();

// UTF-8 -> legacy bytes. A character the code page cannot hold, or a byte that
// is not valid UTF-8, becomes "?".
std::string toLegacyText(std::string_view utf8);

// Legacy bytes -> UTF-8. A byte sequence the code page does not define
// becomes "?".
std::string fromLegacyText(std::string_view legacy);

} // namespace scriba8
