// SPDX-License-Identifier: MIT
// Project saving, the About box and the update check.
#include "main_window.h"

#include "about_dialog.h"
#include "customer_setting_dialog.h"
#include "save_vlx_command.h"


namespace scriba8::appmain {
// The project commands keep nothing between calls: the request texts live
// in the record, the folders and the update fields in the window.
struct ProjectState {};
void ProjectStateDeleter::operator()(ProjectState* state) const { delete state; }
} // namespace scriba8::appmain

namespace {

using namespace scriba8;

app::UpdateSetup UpdateSetupOf(const CScriba8_T3Plus_APDlg& window) {
    app::UpdateSetup setup;
    setup.settingsPath = window.SettingsFilePath();
    setup.libraryVersion = window.dllVersion;
    setup.edition = window.dllEdition;
    setup.language = window.CurrentLanguage();
    return setup;
}

} // namespace

void CScriba8_T3Plus_APDlg::InitialiseProject() {}

void CScriba8_T3Plus_APDlg::OnSaveVlx() {
    TakeBytesFromEditors();
    const app::CodeBuffers current = buffers;
    app::SaveVlxContext save;
    save.parent = this;
    save.api = &api;
    save.record = &context;
    save.buffers = &current;
    save.log = &operationLog;
    save.language = CurrentLanguage();
    save.saveVlxFolder = &saveVlxFolder;
    save.customerString = [this] {
        CCustomerSettingDlg dialog(context, CurrentLanguage(), this);
        return dialog.exec() == QDialog::Accepted;
    };
    app::RunSaveVlxCommand(save);
}

void CScriba8_T3Plus_APDlg::OnAbout() {
    downloadUrl.clear();
    app::CAboutDlg about(UpdateSetupOf(*this), this);
    about.exec();
    updateTips = about.updateTips();
    downloadUrl = about.downloadUrl();
}

void CScriba8_T3Plus_APDlg::RunStartupUpdateCheck() {
    app::StartUpdateCheckAtStartUp(this, UpdateSetupOf(*this));
}
