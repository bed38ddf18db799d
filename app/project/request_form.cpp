// SPDX-License-Identifier: MIT
#include "request_form.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace scriba8::app {
namespace {

constexpr double kFontPoints = 9.0;
constexpr double kScreenDpi = 96.0;

QFont baseFont() {
    static const QFont font = [] {
        const QString wanted = QStringLiteral("Courier New");
        QFont chosen = QFontDatabase::families().contains(wanted)
                           ? QFont(wanted)
                           : QFontDatabase::systemFont(QFontDatabase::FixedFont);
        chosen.setStyleHint(QFont::TypeWriter);
        chosen.setFixedPitch(true);
        return chosen;
    }();
    return font;
}

int cellUnits(double cells, int unit) { return static_cast<int>(cells * unit); }

} // namespace

QFont RequestFormFont() {
    QFont font = baseFont();
    font.setPointSizeF(kFontPoints);
    return font;
}

QFont RequestFormPrintFont() {
    QFont font = baseFont();
    font.setPixelSize(static_cast<int>(std::lround(kFontPoints * kScreenDpi / 72.0)));
    return font;
}

QSize RequestFormCell(const QPainter& painter) {
    const QFontMetrics metrics = painter.fontMetrics();
    return {metrics.horizontalAdvance(QLatin1Char('0')), metrics.height()};
}

void DrawRequestForm(const ContextRecord& record, const BodyInfo* chip, QPainter& painter, int w,
                     int h) {
    const RequestFormLayout form = LayOutRequestForm(record, chip);
    const int ascent = painter.fontMetrics().ascent();
    for (const FormText& text : form.texts)
        painter.drawText(cellUnits(text.x, w), cellUnits(text.y, h) + ascent,
                         QString::fromUtf8(text.text));
    for (const FormLine& line : form.lines)
        painter.drawLine(cellUnits(line.x1, w), cellUnits(line.y1, h), cellUnits(line.x2, w),
                         cellUnits(line.y2, h));
}

bool PrintRequestForm(QPrinter& printer, const ContextRecord& record, const BodyInfo* chip) {
    printer.setDocName(QStringLiteral("VLX"));
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    painter.scale(printer.logicalDpiX() / kScreenDpi, printer.logicalDpiY() / kScreenDpi);
    painter.setFont(RequestFormPrintFont());
    const QSize cell = RequestFormCell(painter);
    DrawRequestForm(record, chip, painter, cell.width(), cell.height());
    return painter.end();
}

} // namespace scriba8::app
