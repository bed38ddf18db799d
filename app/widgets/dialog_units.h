// SPDX-License-Identifier: MIT
// Positions of the window layouts are given in dialog units, which scale with
// the interface font: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its character height. So the
// windows keep their proportions at any screen resolution and font.
#pragma once

#include <QFont>
#include <QRect>

class QLabel;

namespace scriba8::appmain {

// Tahoma 8 pt where it is installed, otherwise the system's sans-serif font
// at 8 pt. Every window of the application uses it.
QFont InterfaceFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    int averageCharWidth() const { return averageCharWidth_; }
    int charHeight() const { return charHeight_; }

private:
    int averageCharWidth_;
    int charHeight_;
};

// A right-aligned label whose text is wider than its template box (another
// font, the other language) grows to the left, where such labels have free
// room, instead of losing the start of its text. Call after each text change.
void FitLabelToText(QLabel* label);

} // namespace scriba8::appmain
