// SPDX-License-Identifier: MIT
// The "Save VLX" command of the main window: the project through the
// library, then the request form's dialogs.
#pragma once

#include "code_buffers.h"
#include "language.h"
#include "library_api.h"
#include "operation_log.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace scriba8::app {

struct SaveVlxContext {
    QWidget* parent = nullptr;
    const LibraryApi* api = nullptr;
    ContextRecord* record = nullptr;
    const CodeBuffers* buffers = nullptr;
    OperationLog* log = nullptr;
    Language language = Language::english;
    // The folder of the last save: where the library's file dialog starts,
    // and updated to the chosen folder after a successful save.
    std::string* saveVlxFolder = nullptr;
    // The customer string dialog for chips that take one; false when it
    // was not ended with OK. Empty: the record's string is used as it is.
    std::function<bool()> customerString;
    // The request form's dialogs after a successful save. Empty: the
    // modal CGenerateFormDlg and CVLXViewDlg.
    std::function<void()> requestForm;
};

// Runs the whole command and returns the result of the save.
std::int32_t RunSaveVlxCommand(const SaveVlxContext& context);

// CGenerateFormDlg and, when it ends with OK, CVLXViewDlg, both modal.
void ShowRequestFormDialogs(QWidget* parent, ContextRecord& record, const BodyInfo* chip,
                            Language language);

} // namespace scriba8::app
