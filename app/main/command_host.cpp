// SPDX-License-Identifier: MIT
#include "command_host.h"

#include "command_worker.h"
#include "message_title.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

#include <cstring>
#include <memory>
#include <string>

namespace scriba8::app {

struct HostBridge::Request {
    enum class Kind { question, error, saveFile };
    Kind kind = Kind::question;
    QString text;
    // Save dialog
    QString filter;
    QString defaultSuffix;
    QString folder;
    // Answer
    bool yes = false;
    QByteArray path;
    bool done = false;
};

HostBridge::HostBridge(QWidget* owner) : owner_(owner) {
    table_.user = this;
    table_.askYesNo = &HostBridge::askYesNo;
    table_.showError = &HostBridge::showError;
    table_.chooseSaveFile = &HostBridge::chooseSaveFile;
}

HostBridge::~HostBridge() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        pending_.clear();
    }
    answered_.notify_all();
}

void HostBridge::ask(Request& request) {
    if (QThread::currentThread() == thread()) {
        answer(request);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        if (closed_) return;
        pending_.push_back(&request);
    }
    // The request itself travels under the mutex; the queued call only
    // wakes the GUI thread.
    QMetaObject::invokeMethod(this, "answerPending", Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return request.done || closed_; });
}

void HostBridge::answerPending() {
    Request* request = nullptr;
    {
        const std::lock_guard lock(mutex_);
        if (pending_.empty()) return;
        request = pending_.front();
        pending_.pop_front();
    }
    // Opened without a nested event loop: the window goes on polling the
    // worker, and the answer is handed back when the box closes.
    QDialog* dialog = makeDialog(*request);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    connect(dialog, &QDialog::finished, this, [this, request, dialog](int result) {
        QApplication::restoreOverrideCursor();
        collect(*request, *dialog, result);
        {
            const std::lock_guard lock(mutex_);
            request->done = true;
        }
        answered_.notify_all();
        answerPending(); // another worker may be waiting
    });
    dialog->open();
}

void HostBridge::answer(Request& request) {
    // A command may have set the busy cursor; the operator must see the box
    // is waiting for them.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    std::unique_ptr<QDialog> dialog(makeDialog(request));
    collect(request, *dialog, dialog->exec());
    QApplication::restoreOverrideCursor();
}

QDialog* HostBridge::makeDialog(const Request& request) {
    const QString title = appmain::MessageBoxTitle();
    QDialog* dialog = nullptr;
    switch (request.kind) {
    case Request::Kind::question:
        dialog = new QMessageBox(QMessageBox::Question, title, request.text,
                                 QMessageBox::Yes | QMessageBox::No, owner_);
        break;
    case Request::Kind::error:
        dialog = new QMessageBox(QMessageBox::Warning, title, request.text, QMessageBox::Ok, owner_);
        break;
    case Request::Kind::saveFile: {
        auto* files = new QFileDialog(owner_, title, request.folder, request.filter);
        files->setAcceptMode(QFileDialog::AcceptSave);
        files->setFileMode(QFileDialog::AnyFile);
        files->setDefaultSuffix(request.defaultSuffix);
        dialog = files;
        break;
    }
    }
    AllowDuringCommand(dialog);
    return dialog;
}

void HostBridge::collect(Request& request, const QDialog& dialog, int result) {
    switch (request.kind) {
    case Request::Kind::question: request.yes = result == QMessageBox::Yes; break;
    case Request::Kind::error: break;
    case Request::Kind::saveFile: {
        const auto& files = static_cast<const QFileDialog&>(dialog);
        if (result == QDialog::Accepted && !files.selectedFiles().isEmpty())
            request.path = QFile::encodeName(files.selectedFiles().constFirst());
        break;
    }
    }
}

int HostBridge::askYesNo(void* user, const char* text) {
    Request request;
    request.kind = Request::Kind::question;
    request.text = QString::fromUtf8(text);
    static_cast<HostBridge*>(user)->ask(request);
    return request.yes ? 1 : 0;
}

void HostBridge::showError(void* user, const char* text) {
    Request request;
    request.kind = Request::Kind::error;
    request.text = QString::fromUtf8(text);
    static_cast<HostBridge*>(user)->ask(request);
}

int HostBridge::chooseSaveFile(void* user, const char* filterText, const char* pattern,
                               const char* defaultExtension, const char* initialFolder,
                               char* path, std::size_t pathSize) {
    if (path == nullptr || pathSize == 0) return 0;
    Request request;
    request.kind = Request::Kind::saveFile;
    // "Name (*.a;*.b)" is how Qt's file dialog reads a filter.
    QString patterns = QString::fromUtf8(pattern != nullptr ? pattern : "*");
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    request.filter = QString::fromUtf8(filterText != nullptr ? filterText : "") +
                     QStringLiteral(" (") + patterns + QLatin1Char(')');
    request.defaultSuffix = QString::fromUtf8(defaultExtension != nullptr ? defaultExtension : "");
    request.folder = QString::fromUtf8(initialFolder != nullptr ? initialFolder : "");
    static_cast<HostBridge*>(user)->ask(request);
    // A path that does not fit is not cut short into another file's name.
    if (request.path.isEmpty() || static_cast<std::size_t>(request.path.size()) >= pathSize)
        return 0;
    std::memcpy(path, request.path.constData(), static_cast<std::size_t>(request.path.size()));
    path[request.path.size()] = '\0';
    return 1;
}

} // namespace scriba8::app
