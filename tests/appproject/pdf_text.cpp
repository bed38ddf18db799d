// SPDX-License-Identifier: MIT
#include "pdf_text.h"

#include <QProcess>
#include <QRegularExpression>

namespace scriba8::app::test {
namespace {

QString runPdfToText(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PDFTOTEXT), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QString PdfText(const QString& pdfPath) {
    return runPdfToText({QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
}

QList<PdfWord> PdfWords(const QString& pdfPath) {
    const QString html = runPdfToText({QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double x1 = m.captured(1).toDouble();
        const double y1 = m.captured(2).toDouble();
        words.push_back(
            {m.captured(5),
             QRectF(QPointF(x1, y1), QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

QRectF FirstWordBox(const QList<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text) return w.box;
    return {};
}

} // namespace scriba8::app::test
