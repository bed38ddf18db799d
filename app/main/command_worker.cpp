// SPDX-License-Identifier: MIT
#include "command_worker.h"
#include "message_title.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QWidget>
#include <QWindow>

#include <exception>

namespace scriba8::app {
namespace {

constexpr const char* kAllowedProperty = "scriba8AllowedDuringCommand";

constexpr TextPair kPleaseWait{
    "A device command is running. Please wait until it has finished.",
    "设备操作正在进行，请等待其完成。"};

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool allowed(const QWidget* window) {
    return window != nullptr && window->property(kAllowedProperty).toBool();
}

// The window an input event is for. The window system hands it first to the
// native window (a QWindow), and only then to a widget: it belongs to that
// window's widget, whichever window is active.
const QWidget* windowOf(QObject* receiver) {
    if (const auto* widget = qobject_cast<const QWidget*>(receiver)) return widget->window();
    if (const auto* native = qobject_cast<const QWindow*>(receiver)) {
        for (const QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == native) return top;
        return nullptr;
    }
    return QApplication::activeWindow();
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void AllowDuringCommand(QWidget* window) { window->setProperty(kAllowedProperty, true); }

CommandWorker::CommandWorker(QWidget* window, QProgressBar* progressBar, OperationLog& log,
                             QObject* parent)
    : QObject(parent), window_(window), progressBar_(progressBar), log_(log) {
    pollTimer_.setInterval(kPollIntervalMs);
    connect(&pollTimer_, &QTimer::timeout, this, &CommandWorker::poll);
}

CommandWorker::~CommandWorker() {
    if (thread_.joinable()) thread_.join();
    if (running_) {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
        log_.setListener(std::move(mirror_));
    }
}

bool CommandWorker::start(Work work, Done done) {
    if (running_) return false;
    running_ = true;
    done_ = std::move(done);
    {
        const std::lock_guard lock(mutex_);
        pending_.clear();
        workEnded_ = false;
    }
    // The work writes the log from the worker thread: its pieces travel to
    // the window with the progress, in the order they were written.
    mirror_ = log_.listener();
    log_.setListener([this](std::string_view text, bool cleared) {
        post({cleared ? Event::Kind::cleared : Event::Kind::text, std::string(text), 0});
    });
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    greyControls();

    ProgressHooks hooks;
    hooks.showProgress = [this](bool visible) {
        post({visible ? Event::Kind::showProgress : Event::Kind::hideProgress, {}, 0});
    };
    hooks.progress = [this](std::uint16_t percent) { post({Event::Kind::progress, {}, percent}); };
    hooks.busy = [this](bool running) {
        post({running ? Event::Kind::busyOn : Event::Kind::busyOff, {}, 0});
    };
    thread_ = std::thread([this, work = std::move(work), hooks = std::move(hooks)] {
        try {
            work(hooks);
        } catch (const std::exception& error) {
            post({Event::Kind::text, std::string("\r\n") + error.what() + "\r\n", 0});
        }
        const std::lock_guard lock(mutex_);
        workEnded_ = true;
    });
    pollTimer_.start();
    return true;
}

void CommandWorker::post(Event event) {
    const std::lock_guard lock(mutex_);
    pending_.push_back(std::move(event));
}

void CommandWorker::poll() {
    std::vector<Event> events;
    bool ended = false;
    {
        const std::lock_guard lock(mutex_);
        events.swap(pending_);
        ended = workEnded_;
    }
    apply(events);
    if (ended) finish();
}

void CommandWorker::apply(const std::vector<Event>& events) {
    for (const Event& event : events) {
        switch (event.kind) {
        case Event::Kind::text:
            if (mirror_) mirror_(event.text, false);
            break;
        case Event::Kind::cleared:
            if (mirror_) mirror_({}, true);
            break;
        case Event::Kind::showProgress:
            if (progressBar_) progressBar_->show();
            break;
        case Event::Kind::hideProgress:
            // The next command starts from an empty bar, never from 0.
            if (progressBar_) {
                progressBar_->hide();
                progressBar_->reset();
            }
            break;
        case Event::Kind::progress:
            if (progressBar_ && event.percent != 0) progressBar_->setValue(event.percent);
            break;
        case Event::Kind::busyOn: showBusy(true); break;
        case Event::Kind::busyOff: showBusy(false); break;
        }
    }
}

void CommandWorker::finish() {
    pollTimer_.stop();
    thread_.join();
    // The work ended after its last event, so none can follow the join.
    std::vector<Event> rest;
    {
        const std::lock_guard lock(mutex_);
        rest.swap(pending_);
    }
    apply(rest);
    log_.setListener(std::move(mirror_));
    mirror_ = nullptr;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (waitBox_) waitBox_->close();
    showBusy(false);
    restoreControls();
    running_ = false;
    if (Done done = std::move(done_)) done();
    emit finished();
}

bool CommandWorker::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Close && widget != nullptr && widget->isWindow() &&
        !allowed(widget)) {
        event->ignore();
        askToWait();
        return true;
    }
    if (!isUserInput(event->type())) return QObject::eventFilter(watched, event);
    if (allowed(windowOf(watched))) return QObject::eventFilter(watched, event);
    event->ignore();
    return true;
}

void CommandWorker::greyControls() {
    greyed_.clear();
    for (const QPointer<QWidget>& control : toGrey_) {
        if (control == nullptr) continue;
        greyed_.append({control, control->isEnabled()});
        control->setEnabled(false);
    }
}

void CommandWorker::restoreControls() {
    for (const auto& [control, enabled] : greyed_)
        if (control != nullptr) control->setEnabled(enabled);
    greyed_.clear();
}

// Work of unknown length: a bar that moves without a percentage.
void CommandWorker::showBusy(bool running) {
    if (progressBar_ == nullptr) return;
    if (running) {
        progressBar_->setRange(0, 0);
        if (!progressBar_->isVisible()) {
            progressBar_->show();
            barShownForBusy_ = true;
        }
        return;
    }
    if (progressBar_->maximum() == 0) progressBar_->setRange(0, 100);
    if (barShownForBusy_) progressBar_->hide();
    barShownForBusy_ = false;
}

void CommandWorker::askToWait() {
    if (waitBox_) return;
    auto* box = new QMessageBox(QMessageBox::Information, appmain::MessageBoxTitle(),
                                toQString(kPleaseWait.in(log_.language())), QMessageBox::Ok,
                                window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    AllowDuringCommand(box);
    waitBox_ = box;
    box->open();
}

} // namespace scriba8::app
