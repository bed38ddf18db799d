// SPDX-License-Identifier: MIT
// The operation log box: every piece goes to the end, whatever the operator
// has selected in it.
#include "main_window.h"
#include "texts.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include <cstdarg>
#include <cstdio>
#include <vector>

void CScriba8_T3Plus_APDlg::AppendLog(const char* format, ...) {
    if (format == nullptr) {
        operationLog.clear();
        return;
    }
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length > 0) {
        std::vector<char> text(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, arguments);
        operationLog.append(std::string_view(text.data(), static_cast<std::size_t>(length)));
    }
    va_end(arguments);
}

void CScriba8_T3Plus_APDlg::LogResult(std::int32_t code) {
    operationLog.outcome(scriba8::app::texts::ResultText(code));
}

void CScriba8_T3Plus_APDlg::OnClearLog() {
    AppendLog(nullptr);
    operationLog.resetCounter();
}

QString CScriba8_T3Plus_APDlg::LogText() const { return logEdit->toPlainText(); }

void CScriba8_T3Plus_APDlg::MirrorLogAppended(std::string_view text) {
    // The box shows lines; the log's CR LF line ends become plain breaks.
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.remove(QLatin1Char('\r'));
    QTextCursor end(logEdit->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    logEdit->verticalScrollBar()->setValue(logEdit->verticalScrollBar()->maximum());
}

void CScriba8_T3Plus_APDlg::MirrorLogCleared() { logEdit->clear(); }
