// The window's file and device commands.
#include "main_window.h"

namespace scriba8::appmain {
// What the commands keep between calls.
struct CommandState {};
void CommandStateDeleter::operator()(CommandState* state) const { delete state; }
} // namespace scriba8::appmain

void CScriba8_T3Plus_APDlg::InitialiseCommands() {}

void CScriba8_T3Plus_APDlg::OnLoadFile() {}
void CScriba8_T3Plus_APDlg::OnSaveBuffer() {}
void CScriba8_T3Plus_APDlg::OnDumpTarget() {}
void CScriba8_T3Plus_APDlg::OnInsertIsp() {}
void CScriba8_T3Plus_APDlg::OnCheckId() {}
void CScriba8_T3Plus_APDlg::OnErase() {}
void CScriba8_T3Plus_APDlg::OnBlankCheck() {}
void CScriba8_T3Plus_APDlg::OnProgram() {}
void CScriba8_T3Plus_APDlg::OnEepromProgram() {}
void CScriba8_T3Plus_APDlg::OnVerify() {}
void CScriba8_T3Plus_APDlg::OnAuto() {}
void CScriba8_T3Plus_APDlg::OnWriteOptions() {}
void CScriba8_T3Plus_APDlg::OnReadOptions() {}
void CScriba8_T3Plus_APDlg::OnWholeChipErase() {}
void CScriba8_T3Plus_APDlg::OnReadChipChecksum() {}
void CScriba8_T3Plus_APDlg::OnEnableModifyBuffer() {}
void CScriba8_T3Plus_APDlg::OnAutoReload() {}
void CScriba8_T3Plus_APDlg::OnWindowActivated() {}
