// SPDX-License-Identifier: MIT
// The one title every message box of the program carries, whichever window
// or thread opens it: the product's name.
#pragma once

#include <QString>

namespace scriba8::appmain {

inline QString MessageBoxTitle() { return QStringLiteral("Scriba8 T3Plus"); }

} // namespace scriba8::appmain
