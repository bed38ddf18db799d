// SPDX-License-Identifier: MIT
// A chip's option selection in the text and JSON outputs.
#pragma once

#include "json.h"
#include "option_values.h"

#include <string>
#include <vector>

namespace scriba8::cli {

// {"items": {"ISP_SIZE": "2.0k", ...}, "bits": {"LOCK": true, ...}}
Json SelectionJson(const SelectionTexts& selection);

// One "NAME  value" line per option after the indent, bits as on/off.
void AppendSelectionLines(const SelectionTexts& selection, std::vector<std::string>& lines,
                          const std::string& indent = "  ");

} // namespace scriba8::cli
