// SPDX-License-Identifier: MIT
// The library's host callbacks for tests: its questions answered as the test
// says and counted, the errors it shows collected.
#pragma once

#include "Scriba8_T3Plus_DLL.h"

#include <string>

namespace scriba8::test {

struct AnsweringHost {
    bool answer = false;
    int questions = 0;
    std::string errors;

    S8HostCallbacks callbacks() {
        S8HostCallbacks table{};
        table.user = this;
        table.askYesNo = [](void* user, const char*) {
            auto* self = static_cast<AnsweringHost*>(user);
            ++self->questions;
            return self->answer ? 1 : 0;
        };
        table.showError = [](void* user, const char* text) {
            static_cast<AnsweringHost*>(user)->errors += text;
        };
        return table;
    }
};

} // namespace scriba8::test
