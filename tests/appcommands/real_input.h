// SPDX-License-Identifier: MIT
// Input as the window system delivers it, for tests run on an X server of
// their own (with_xvfb.sh): clicks and keys through xdotool, a close request
// as a window manager sends it, window activation by moving the X focus.
// QTest's events go straight to a widget and pass by everything an event
// filter of the application does; these do not.
#pragma once

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <deque>
#include <functional>

namespace scriba8::test {

inline void Xdotool(const QStringList& arguments) {
    if (QProcess::execute(QStringLiteral("xdotool"), arguments) != 0)
        qWarning("xdotool %s failed", qPrintable(arguments.join(QLatin1Char(' '))));
}

inline QString WindowId(const QWidget* widget) {
    return QString::number(widget->window()->winId());
}

// A left click in the middle of the widget, wherever it is on the screen.
inline void RealClick(const QWidget* widget) {
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    Xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(centre.x()),
             QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
}

// A key (xdotool's name, "Escape") sent to the widget's window.
inline void RealKey(const QWidget* widget, const QString& key) {
    Xdotool({QStringLiteral("key"), QStringLiteral("--window"), WindowId(widget), key});
}

// The X input focus to the widget's window: the window system activates it.
inline void RealFocus(const QWidget* widget) {
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), WindowId(widget)});
}

// A window of another program: created on the X server but unknown to Qt,
// so focusing it takes the focus from every window of this one.
class ForeignWindow {
public:
    ForeignWindow() {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (x11 == nullptr) qFatal("not on an X server");
        connection_ = x11->connection();
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 100, 60,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection_, window_);
        xcb_flush(connection_);
    }
    ~ForeignWindow() {
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

    void focus() const {
        Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window_)});
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
};

// What a window manager sends for the close box.
inline void RealCloseRequest(const QWidget* widget) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr) qFatal("not on an X server");
    xcb_connection_t* connection = x11->connection();
    const auto atom = [&](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(qstrlen(name)), name),
            nullptr);
        xcb_atom_t found = XCB_ATOM_NONE;
        if (reply != nullptr) found = reply->atom;
        free(reply);
        return found;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(widget->window()->winId());
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

// Steps of real input, each taken once its condition holds, from a timer:
// a modal dialog's own event loop runs them too. A step that waits longer
// than the limit ends the script with its name as the failure, after the
// rescue (if any) has freed the program, so a fault cannot hang the test.
class InputScript {
public:
    explicit InputScript(int limitMs = 15000) : limitMs_(limitMs) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }

    void then(QString what, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(what), std::move(ready), std::move(act)});
    }
    void setRescue(std::function<void()> rescue) { rescue_ = std::move(rescue); }

    bool finished() const { return steps_.empty(); }
    // The step that did not come, or empty.
    const QString& failure() const { return failure_; }

private:
    struct Step {
        QString what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void tick() {
        if (steps_.empty()) return;
        if (!waiting_.isValid()) waiting_.start();
        Step& step = steps_.front();
        if (step.ready()) {
            const std::function<void()> act = step.act;
            steps_.pop_front();
            waiting_.invalidate();
            if (act) act();
            return;
        }
        if (waiting_.elapsed() < limitMs_) return;
        failure_ = step.what;
        steps_.clear();
        if (rescue_) rescue_();
    }

    int limitMs_;
    QTimer timer_;
    QElapsedTimer waiting_;
    std::deque<Step> steps_;
    std::function<void()> rescue_;
    QString failure_;
};

} // namespace scriba8::test
