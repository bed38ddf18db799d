// SPDX-License-Identifier: MIT
// Project saving, off-line mode, the About box and the update check.
#include "main_window.h"

#include "about_dialog.h"
#include "customer_setting_dialog.h"
#include "hex_edit_base.h"
#include "offline_mode_dialog.h"
#include "save_vlx_command.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QThread>

namespace scriba8::appmain {
// The project commands keep nothing between calls: the request texts live
// in the record, the folders and the update fields in the window.
struct ProjectState {};
void ProjectStateDeleter::operator()(ProjectState* state) const { delete state; }
} // namespace scriba8::appmain

namespace {

using namespace scriba8;

std::vector<std::uint8_t> EditorBytes(const CHexEditBase* editor) {
    std::vector<std::uint8_t> bytes;
    if (editor == nullptr) return bytes;
    bytes.resize(editor->Length());
    editor->GetData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
}

// What the library is given: the bytes as the editors hold them now, with
// the window's records of where they came from.
app::CodeBuffers CurrentBuffers(const CScriba8_T3Plus_APDlg& window) {
    app::CodeBuffers current = window.buffers;
    current.flash = EditorBytes(window.FlashEditor());
    current.eeprom = EditorBytes(window.EepromEditor());
    return current;
}

app::UpdateSetup UpdateSetupOf(const CScriba8_T3Plus_APDlg& window) {
    app::UpdateSetup setup;
    setup.settingsPath = window.SettingsFilePath();
    setup.versionFilePath = app::VersionFileLocation(QString::fromStdString(window.moduleFolder));
    setup.libraryVersion = window.dllVersion;
    setup.edition = window.dllEdition;
    setup.language = window.CurrentLanguage();
    return setup;
}

} // namespace

void CScriba8_T3Plus_APDlg::InitialiseProject() {}

void CScriba8_T3Plus_APDlg::OnSaveVlx() {
    const app::CodeBuffers current = CurrentBuffers(*this);
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

void CScriba8_T3Plus_APDlg::OnOffLineMode() {
    const app::CodeBuffers current = CurrentBuffers(*this);
    app::ProgressHooks hooks;
    hooks.showProgress = [this](bool visible) {
        progress->setValue(0);
        progress->setVisible(visible);
    };
    hooks.progress = [this](std::uint16_t percent) { progress->setValue(percent); };
    // Keeps the window painted; the operator's input waits for the end.
    hooks.idle = [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(1);
    };
    app::RunOffLineModeCommand({&api, &context, &current, &operationLog, CurrentLanguage()}, hooks,
                               this);
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
