// SPDX-License-Identifier: MIT
// Runs the work of one window command on a worker thread while the window
// stays alive: the event loop looks at the worker every 10 ms, moves the
// progress bar and shows what the work logged. Until the work is done, user
// input to the program's windows is swallowed and closing one asks to wait;
// only the boxes the library's questions open stay usable.
#pragma once

#include "operation_log.h"
#include "worker_call.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QMessageBox;
class QProgressBar;
class QWidget;

namespace scriba8::app {

// Windows opened during a command that the operator must be able to use.
void AllowDuringCommand(QWidget* window);

class CommandWorker : public QObject {
    Q_OBJECT

public:
    // Runs on the worker thread. It may write the log and report progress
    // through the hooks; nothing else of the window may be touched.
    using Work = std::function<void(const ProgressHooks& hooks)>;
    // Runs on the GUI thread once the worker has been joined and everything
    // it logged is shown.
    using Done = std::function<void()>;

    static constexpr int kPollIntervalMs = 10;

    CommandWorker(QWidget* window, QProgressBar* progressBar, OperationLog& log,
                  QObject* parent = nullptr);
    ~CommandWorker() override;

    bool busy() const { return running_; }

    // Controls that do nothing while a command runs: they are greyed for its
    // duration and get their own state back before Done runs.
    void setControlsToGrey(QList<QPointer<QWidget>> controls) { toGrey_ = std::move(controls); }

    // False, and nothing happens, while another command runs.
    bool start(Work work, Done done = {});

signals:
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Event {
        enum class Kind { text, cleared, showProgress, hideProgress, progress, busyOn, busyOff };
        Kind kind = Kind::text;
        std::string text;
        std::uint16_t percent = 0;
    };

    void post(Event event);
    void poll();
    void apply(const std::vector<Event>& events);
    void finish();
    void askToWait();
    void greyControls();
    void restoreControls();
    void showBusy(bool running);

    QPointer<QWidget> window_;
    QPointer<QProgressBar> progressBar_;
    OperationLog& log_;
    OperationLog::Listener mirror_; // how the window shows the log
    QTimer pollTimer_;
    QPointer<QMessageBox> waitBox_;
    QList<QPointer<QWidget>> toGrey_;
    QList<QPair<QPointer<QWidget>, bool>> greyed_; // with the state each had
    bool barShownForBusy_ = false;
    bool running_ = false;
    Done done_;
    std::thread thread_;

    // Shared with the worker.
    std::mutex mutex_;
    std::vector<Event> pending_;
    bool workEnded_ = false;
};

} // namespace scriba8::app
