// SPDX-License-Identifier: MIT
// Drawing the request form into any painter: the preview's off-screen
// pixmap, a printer, or a PDF file.
#pragma once

#include "request_form_layout.h"

#include <QFont>
#include <QSize>

class QPainter;
class QPrinter;

namespace scriba8::app {

// The form's font: "Courier New" when installed, else the system's fixed
// font; 9 points, or for the 96-dpi logical units of a print the pixel size
// those 9 points take on such a screen.
QFont RequestFormFont();
QFont RequestFormPrintFont();

// The size of the character cell: width and height of "0" in the
// painter's current font.
QSize RequestFormCell(const QPainter& painter);

// Draws the form with its top-left corner at the painter's origin; w and h
// are the cell width and height in the painter's logical units.
void DrawRequestForm(const ContextRecord& record, const BodyInfo* chip, QPainter& painter, int w,
                     int h);

// One page named "VLX" on the printer (a paper printer or a PDF file). One
// logical unit is one pixel of a 96-dpi screen, so the page has the
// proportions of the preview at any printer resolution. False when the
// printer could not be started (for instance an unwritable PDF file).
bool PrintRequestForm(QPrinter& printer, const ContextRecord& record, const BodyInfo* chip);

} // namespace scriba8::app
