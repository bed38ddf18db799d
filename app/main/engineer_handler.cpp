// SPDX-License-Identifier: MIT
// Opening the engineer window.
#include "main_window.h"

#include "engineer_dlg.h"
#include "private_profile.h"

namespace scriba8::appmain {
// Engineer windows are children of the main window and delete themselves
// when closed; the main window keeps nothing else about them.
struct EngineerState {};
void EngineerStateDeleter::operator()(EngineerState* state) const { delete state; }
} // namespace scriba8::appmain

void CScriba8_T3Plus_APDlg::InitialiseEngineer() {}

void CScriba8_T3Plus_APDlg::OnEngineer() {
    // The definitions and the sheet files belong to the folder the program
    // runs in; the file is read anew for every window, so edits show at once.
    scriba8::engineer::CEngineerDlg::Open(
        this, scriba8::app::PrivateProfile::Load("./Engineer.ini"),
        scriba8::engineer::SheetHost{&operationLog, "."});
}
