// SPDX-License-Identifier: MIT
// A window larger than the screen it opens on (a small laptop, a large scale
// factor) is made to fit it, so its title bar and edges stay reachable; its
// content then scrolls.
#pragma once

class QWidget;

namespace scriba8::appmain {

// For a window about to be shown or just shown.
void FitIntoScreen(QWidget& window);

} // namespace scriba8::appmain
