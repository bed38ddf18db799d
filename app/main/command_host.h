// SPDX-License-Identifier: MIT
// The library's questions and messages for the operator (the record's host
// callbacks) as real message boxes owned by the main window. The library
// asks from whatever thread runs the export; a question from a worker is
// handed to the GUI thread, and the worker waits for the answer while the
// window's event loop goes on, so the box is always answerable.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

class QDialog;
class QWidget;

namespace scriba8::app {

class HostBridge : public QObject {
    Q_OBJECT

public:
    explicit HostBridge(QWidget* owner);
    // Questions still waiting are answered No / Cancel.
    ~HostBridge() override;

    // For ContextRecord::host.
    const S8HostCallbacks* table() const { return &table_; }

private:
    struct Request;

    Q_INVOKABLE void answerPending();
    void ask(Request& request);
    void answer(Request& request);
    QDialog* makeDialog(const Request& request);
    static void collect(Request& request, const QDialog& dialog, int result);

    static int askYesNo(void* user, const char* text);
    static void showError(void* user, const char* text);
    static int chooseSaveFile(void* user, const char* filterText, const char* pattern,
                              const char* defaultExtension, const char* initialFolder,
                              char* path, std::size_t pathSize);

    QPointer<QWidget> owner_;
    S8HostCallbacks table_{};

    std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<Request*> pending_;
    bool closed_ = false;
};

} // namespace scriba8::app
