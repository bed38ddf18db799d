// SPDX-License-Identifier: MIT
// Reading a PDF back with pdftotext: the plain text, and the boxes of its
// words in points.
#pragma once

#include <QList>
#include <QRectF>
#include <QString>

namespace scriba8::app::test {

QString PdfText(const QString& pdfPath);

struct PdfWord {
    QString text;
    QRectF box; // points, origin top-left of the page
};
QList<PdfWord> PdfWords(const QString& pdfPath);

// The first word with this text; a null box when there is none.
QRectF FirstWordBox(const QList<PdfWord>& words, const QString& text);

} // namespace scriba8::app::test
