// SPDX-License-Identifier: MIT
#include "interface/host_prompts.h"

#include <cstdio>

namespace scriba8 {

bool AskYesNo(const S8HostCallbacks* host, const char* question) {
    if (host == nullptr || host->askYesNo == nullptr) return false;
    return host->askYesNo(host->user, question) != 0;
}

void ShowError(const S8HostCallbacks* host, const char* text) {
    if (host != nullptr && host->showError != nullptr) {
        host->showError(host->user, text);
        return;
    }
    std::fprintf(stderr, "Scriba8: %s\n", text);
}

} // namespace scriba8
