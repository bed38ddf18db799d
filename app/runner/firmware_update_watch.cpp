// SPDX-License-Identifier: MIT
#include "firmware_update_watch.h"

#include "texts.h"

namespace scriba8::app {

FirmwareUpdateWatch::FirmwareUpdateWatch(OperationLog& log, const ProgressHooks& hooks)
    : log_(log), hooks_(hooks) {
    table_.user = this;
    table_.askYesNo = &FirmwareUpdateWatch::askYesNo;
    table_.showError = &FirmwareUpdateWatch::showError;
    table_.chooseSaveFile = &FirmwareUpdateWatch::chooseSaveFile;
}

const S8HostCallbacks* FirmwareUpdateWatch::wrap(const S8HostCallbacks* real) {
    real_ = real;
    return &table_;
}

ProgressHooks FirmwareUpdateWatch::hooks() {
    ProgressHooks watched = hooks_;
    watched.progress = [this](std::uint16_t percent) {
        updateEnded(S8_PASS);
        if (hooks_.progress) hooks_.progress(percent);
    };
    return watched;
}

// A device export asks only whether to update the programmer's firmware.
int FirmwareUpdateWatch::askYesNo(void* user, const char* text) {
    auto* self = static_cast<FirmwareUpdateWatch*>(user);
    // Without a host the library's own rule stands: no.
    const bool yes = self->real_ != nullptr && self->real_->askYesNo != nullptr &&
                     self->real_->askYesNo(self->real_->user, text) != 0;
    if (yes) self->updateStarts();
    return yes ? 1 : 0;
}

void FirmwareUpdateWatch::showError(void* user, const char* text) {
    const auto* self = static_cast<FirmwareUpdateWatch*>(user);
    if (self->real_ != nullptr && self->real_->showError != nullptr)
        self->real_->showError(self->real_->user, text);
}

int FirmwareUpdateWatch::chooseSaveFile(void* user, const char* filterText, const char* pattern,
                                        const char* defaultExtension, const char* initialFolder,
                                        char* path, std::size_t pathSize) {
    const auto* self = static_cast<FirmwareUpdateWatch*>(user);
    if (self->real_ == nullptr || self->real_->chooseSaveFile == nullptr) return 0;
    return self->real_->chooseSaveFile(self->real_->user, filterText, pattern, defaultExtension,
                                       initialFolder, path, pathSize);
}

void FirmwareUpdateWatch::updateStarts() {
    const std::lock_guard lock(mutex_);
    if (hooks_.busy) hooks_.busy(true);
    log_.startNote(texts::kFirmwareUpdate, [this](std::int32_t commandResult) {
        // Called by the log with the command's result, under no lock of ours:
        // only the command's own thread writes its outcome.
        if (hooks_.busy) hooks_.busy(false);
        return commandResult == S8_UPDATE_FAILED ? commandResult : S8_PASS;
    });
}

void FirmwareUpdateWatch::updateEnded(std::int32_t result) {
    const std::lock_guard lock(mutex_);
    if (!log_.noteOpen()) return;
    if (hooks_.busy) hooks_.busy(false);
    log_.finishNote(result);
}

} // namespace scriba8::app
