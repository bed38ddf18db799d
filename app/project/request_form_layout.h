// SPDX-License-Identifier: MIT
// The one-page request form that summarises a saved project: every text and
// line, placed on a grid of character cells. The painter turns cells into
// device units; nothing here knows about devices.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scriba8::app {

// Positions are in cells: x counts character widths, y text lines. Texts
// have their top-left corner at the position.
struct FormText {
    double x = 0;
    double y = 0;
    std::string text; // UTF-8
};

struct FormLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};

struct RequestFormLayout {
    std::vector<FormText> texts;
    std::vector<FormLine> lines;
};

// The form's height in text lines; the preview scrolls over this many.
inline constexpr int kRequestFormRows = 75;

// The title by the chip family; empty for a family without a form.
std::string RequestFormTitle(std::uint16_t familyCode);

// The form for the project in record (as the library left it after saving)
// and the selected chip. Without a chip only the chip-independent parts
// are laid out.
RequestFormLayout LayOutRequestForm(const ContextRecord& record, const BodyInfo* chip);

} // namespace scriba8::app
