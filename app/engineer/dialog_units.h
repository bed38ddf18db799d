// Dialog units: the engineer window and its sheets are laid out in units of
// the dialog font (a quarter of the average character width across, an
// eighth of the character height down), so labels fit whatever font the
// desktop uses.
#pragma once

#include <QFont>
#include <QRect>

namespace scriba8::engineer {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int x(double units) const;
    int y(double units) const;
    QRect rect(double left, double top, double width, double height) const;

private:
    double baseWidth_;  // pixels per 4 units across
    double baseHeight_; // pixels per 8 units down
};

} // namespace scriba8::engineer
