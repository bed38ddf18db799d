// SPDX-License-Identifier: MIT
#include "link/windows_hid_api.h"

#include <atomic>

namespace scriba8 {
namespace {

constexpr WindowsHidApi kSystem{
    &::HidD_GetHidGuid,
    &::SetupDiGetClassDevsW,
    &::SetupDiEnumDeviceInterfaces,
    &::SetupDiGetDeviceInterfaceDetailW,
    &::SetupDiDestroyDeviceInfoList,
    &::CreateFileW,
    &::CloseHandle,
    &::HidD_GetAttributes,
    &::HidD_GetSerialNumberString,
    &::HidD_GetPreparsedData,
    &::HidP_GetCaps,
    &::HidD_FreePreparsedData,
    &::HidD_SetFeature,
    &::HidD_GetFeature,
    &::ReadFile,
    &::WaitForSingleObject,
    &::GetOverlappedResult,
    &::CancelIoEx,
};

std::atomic<const WindowsHidApi*> replaced{nullptr};

} // namespace

const WindowsHidApi& windowsHidApi() {
    const WindowsHidApi* api = replaced.load(std::memory_order_acquire);
    return api != nullptr ? *api : kSystem;
}

void setWindowsHidApiOverride(const WindowsHidApi* api) {
    replaced.store(api, std::memory_order_release);
}

} // namespace scriba8
