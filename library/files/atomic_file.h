// Replacing a file's contents so that a failure never leaves it truncated or
// half-written: the bytes go to a temporary file in the same folder, which
// then takes the target's place in one rename.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace scriba8 {

// False when any step fails; the target is then exactly as it was and no
// temporary file is left behind.
bool replaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace scriba8
