// SPDX-License-Identifier: MIT
#include "files/host_name.h"
#include "files/windows_text.h"

#include <windows.h>

namespace scriba8::files {

std::string hostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &size) || size == 0) return "unknown";
    return utf8FromWide(std::wstring(name, size));
}

} // namespace scriba8::files
