// SPDX-License-Identifier: MIT
#include "save_vlx_command.h"

#include "chip_selection.h"
#include "generate_form_dialog.h"
#include "project_saver.h"
#include "vlx_view_dialog.h"

#include <cstring>

namespace scriba8::app {

void ShowRequestFormDialogs(QWidget* parent, ContextRecord& record, const BodyInfo* chip,
                            Language language) {
    CGenerateFormDlg ask(record, language, parent);
    if (ask.exec() != QDialog::Accepted) return;
    CVLXViewDlg view(record, chip, language, parent);
    view.exec();
}

std::int32_t RunSaveVlxCommand(const SaveVlxContext& context) {
    ContextRecord& record = *context.record;
    const std::string folder =
        context.saveVlxFolder != nullptr ? *context.saveVlxFolder : std::string();
    std::memset(record.projectFolder, 0, sizeof record.projectFolder);
    std::memcpy(record.projectFolder, folder.data(),
                std::min(folder.size(), sizeof record.projectFolder - 1));

    SaveProjectSteps steps;
    steps.customerString = context.customerString;
    steps.saved = [&] {
        if (context.saveVlxFolder != nullptr)
            *context.saveVlxFolder = std::string(
                record.projectFolder, ::strnlen(record.projectFolder, sizeof record.projectFolder));
        if (context.requestForm)
            context.requestForm();
        else
            ShowRequestFormDialogs(context.parent, record, ChipRow(*context.api, record.partIndex),
                                   context.language);
    };
    return SaveProject(*context.api, record, *context.buffers, *context.log, steps);
}

} // namespace scriba8::app
