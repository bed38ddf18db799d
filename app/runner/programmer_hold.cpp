// SPDX-License-Identifier: MIT
#include "programmer_hold.h"

namespace scriba8::app {

ProgrammerHold::ProgrammerHold(const LibraryApi& api, HoldRequest request)
    : api_(api), request_(std::move(request)) {
    if (api_.HoldProgrammer == nullptr) return;
    S8HoldOptions options{};
    options.waitMs = request_.wait ? static_cast<std::int32_t>(request_.wait->count()) : -1;
    options.user = this;
    if (request_.cancelled) options.cancelled = &askCancelled;
    if (request_.waiting) options.waiting = &tellWaiting;
    result_ = api_.HoldProgrammer(&options, &hold_);
}

ProgrammerHold::~ProgrammerHold() {
    if (hold_ != nullptr && api_.ReleaseProgrammer != nullptr) api_.ReleaseProgrammer(hold_);
}

int ProgrammerHold::askCancelled(void* user) {
    return static_cast<ProgrammerHold*>(user)->request_.cancelled() ? 1 : 0;
}

void ProgrammerHold::tellWaiting(void* user, const char* programmer) {
    static_cast<ProgrammerHold*>(user)->request_.waiting(programmer);
}

} // namespace scriba8::app
