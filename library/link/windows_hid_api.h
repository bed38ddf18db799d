// SPDX-License-Identifier: MIT
// Windows only: the system services the HID transport calls, as one table.
// A program uses the system's own functions; a test puts the virtual
// programmer's device model behind the same calls (tests/windows_hid), so
// the transport runs unchanged against it.
#pragma once

#include <windows.h>

#include <setupapi.h>

// MinGW's HID headers declare C functions without saying so to C++.
extern "C" {
#include <hidsdi.h>
}

namespace scriba8 {

struct WindowsHidApi {
    // Device setup services: the present HID device interfaces.
    decltype(&::HidD_GetHidGuid) HidD_GetHidGuid;
    decltype(&::SetupDiGetClassDevsW) SetupDiGetClassDevsW;
    decltype(&::SetupDiEnumDeviceInterfaces) SetupDiEnumDeviceInterfaces;
    decltype(&::SetupDiGetDeviceInterfaceDetailW) SetupDiGetDeviceInterfaceDetailW;
    decltype(&::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList;
    // One device: its handle, identity and reports.
    decltype(&::CreateFileW) CreateFileW;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::HidD_GetAttributes) HidD_GetAttributes;
    decltype(&::HidD_GetSerialNumberString) HidD_GetSerialNumberString;
    decltype(&::HidD_GetPreparsedData) HidD_GetPreparsedData;
    decltype(&::HidP_GetCaps) HidP_GetCaps;
    decltype(&::HidD_FreePreparsedData) HidD_FreePreparsedData;
    decltype(&::HidD_SetFeature) HidD_SetFeature;
    decltype(&::HidD_GetFeature) HidD_GetFeature;
    // Overlapped input-report reads: started, waited for, cancelled.
    decltype(&::ReadFile) ReadFile;
    decltype(&::WaitForSingleObject) WaitForSingleObject;
    decltype(&::GetOverlappedResult) GetOverlappedResult;
    decltype(&::CancelIoEx) CancelIoEx;
};

// The table in use: the system's, unless a test replaced it.
const WindowsHidApi& windowsHidApi();

// For tests; null restores the system's table.
void setWindowsHidApiOverride(const WindowsHidApi* api);

} // namespace scriba8
