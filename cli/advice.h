// What the user can do about a failure, in both interface languages.
#pragma once

#include "language.h"

#include <cstdint>
#include <string_view>

namespace scriba8::cli {

// For a result code of the named command ("verify", "project save", ...,
// or "save" for writing an output file); empty texts for success.
app::TextPair AdviceFor(std::int32_t result, std::string_view command);

} // namespace scriba8::cli
