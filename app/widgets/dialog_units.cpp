// SPDX-License-Identifier: MIT
#include "dialog_units.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

namespace scriba8::appmain {
namespace {

// Rounded a * b / c, as the platform's dialog-unit conversion rounds.
int ScaledRounded(int a, int b, int c) { return (a * b + c / 2) / c; }

} // namespace

QFont InterfaceFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    if (QFontInfo(font).family().compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0)
        return font;
    QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    system.setPointSize(8);
    return system;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average over the Latin letters, rounded, as dialog templates measure it.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    averageCharWidth_ = (letters / 26 + 1) / 2;
    charHeight_ = metrics.height();
}

int DialogUnits::X(int units) const { return ScaledRounded(units, averageCharWidth_, 4); }
int DialogUnits::Y(int units) const { return ScaledRounded(units, charHeight_, 8); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    // Edges are converted, not sizes, so neighbouring controls stay flush.
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

void FitLabelToText(QLabel* label) {
    if (!(label->alignment() & Qt::AlignRight)) return;
    const char* kTemplate = "templateGeometry";
    if (!label->property(kTemplate).isValid()) label->setProperty(kTemplate, label->geometry());
    const QRect base = label->property(kTemplate).toRect();
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) +
                       label->contentsMargins().left() + label->contentsMargins().right() + 1;
    if (needed <= base.width()) {
        label->setGeometry(base);
        return;
    }
    label->setGeometry(base.right() + 1 - needed, base.y(), needed, base.height());
}

} // namespace scriba8::appmain
