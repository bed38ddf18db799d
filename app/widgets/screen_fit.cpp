// SPDX-License-Identifier: MIT
#include "screen_fit.h"

#include <QScreen>
#include <QWidget>

namespace scriba8::appmain {

void FitIntoScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect room = screen->availableGeometry();
    // The frame is known once the window manager has framed the window.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize fitting = window.size().boundedTo(room.size() - frame);
    if (fitting == window.size()) return;
    window.resize(fitting);
    window.move(room.topLeft());
}

} // namespace scriba8::appmain
