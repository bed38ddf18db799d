// SPDX-License-Identifier: MIT
// Questions and error messages for the user, through the host callbacks of
// the context record. Without a host (or without the callback) questions are
// answered No and errors go to stderr, so the library never blocks unattended.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

namespace scriba8 {

bool AskYesNo(const S8HostCallbacks* host, const char* question);
void ShowError(const S8HostCallbacks* host, const char* text);

} // namespace scriba8
