// Opening the engineer window.
#include "main_window.h"

namespace scriba8::appmain {
// The open engineer window, if any.
struct EngineerState {};
void EngineerStateDeleter::operator()(EngineerState* state) const { delete state; }
} // namespace scriba8::appmain

void CScriba8_T3Plus_APDlg::InitialiseEngineer() {}

void CScriba8_T3Plus_APDlg::OnEngineer() {}
