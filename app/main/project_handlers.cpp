// Project saving, off-line mode, the About box and the update check.
#include "main_window.h"

namespace scriba8::appmain {
// What the project commands keep between calls.
struct ProjectState {};
void ProjectStateDeleter::operator()(ProjectState* state) const { delete state; }
} // namespace scriba8::appmain

void CScriba8_T3Plus_APDlg::InitialiseProject() {}

void CScriba8_T3Plus_APDlg::OnSaveVlx() {}
void CScriba8_T3Plus_APDlg::OnOffLineMode() {}
void CScriba8_T3Plus_APDlg::OnAbout() {}
void CScriba8_T3Plus_APDlg::RunStartupUpdateCheck() {}
