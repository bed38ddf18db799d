// SPDX-License-Identifier: MIT
// Qt's own texts (file dialogs, message-box buttons) in the interface
// language: the program's texts are its own, but "Look in", "File name" and
// "OK" come from Qt's translations.
#pragma once

#include "language.h"

namespace scriba8::appmain {

// Installs Qt's Simplified Chinese texts, or removes them for English.
// False when Chinese was asked for and Qt's translation is not installed
// (Qt's texts then stay English).
bool UseQtTranslations(app::Language language);

} // namespace scriba8::appmain
