// SPDX-License-Identifier: MIT
// Finding a chip of the table by the name the user typed.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::cli {

// The row whose name is the given one, in any letter case.
std::optional<std::int32_t> FindPart(std::span<const BodyInfo> chips, std::string_view name);

// The word the user most likely meant (a prefix of it, or a few typing
// mistakes away); nothing when none is close.
std::optional<std::string> ClosestWord(std::span<const std::string> words, std::string_view typed);

// Names that look like the given one, closest first: the same name in
// other letter case, names that start with or contain it, and names a few
// typing mistakes away. At most limit names.
std::vector<std::string> ClosePartNames(std::span<const BodyInfo> chips, std::string_view name,
                                        std::size_t limit = 6);

// Rows whose name contains any of the filters (any letter case); all rows
// without filters.
std::vector<std::int32_t> FilterParts(std::span<const BodyInfo> chips,
                                      std::span<const std::string> filters);

// "Series A" for bit 0 of the series mask, and so on.
std::string SeriesName(std::uint32_t seriesMask);

} // namespace scriba8::cli
