#include "dialog_units.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace scriba8::engineer {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    baseWidth_ = std::max(1.0, metrics.horizontalAdvance(alphabet) / alphabet.size());
    baseHeight_ = std::max(1.0, std::ceil(metrics.height()));
}

int DialogUnits::x(double units) const { return static_cast<int>(std::lround(units * baseWidth_ / 4)); }

int DialogUnits::y(double units) const { return static_cast<int>(std::lround(units * baseHeight_ / 8)); }

QRect DialogUnits::rect(double left, double top, double width, double height) const {
    const int l = x(left);
    const int t = y(top);
    return QRect(l, t, x(left + width) - l, y(top + height) - t);
}

} // namespace scriba8::engineer
