// SPDX-License-Identifier: MIT
#include "texts.h"

#include "Scriba8_T3Plus_DLL.h"

#include <array>

namespace scriba8::app::texts {
namespace {

struct CodeText {
    std::int32_t code;
    TextPair text;
};

constexpr std::array kCodeTexts{
    CodeText{S8_SEND_ERROR, {"HID W/R error", "HID装置读写错误"}},
    CodeText{S8_RECEIVE_ERROR, {"HID W/R error", "HID装置读写错误"}},
    CodeText{S8_NO_PROGRAMMER, {"Connect error", "装置连接错误"}},
    CodeText{S8_UPDATE_DECLINED, {"Update FW user cancel", "取消更新FW"}},
    CodeText{S8_UPDATE_FAILED, {"Update FW fail", "更新FW失败"}},
    CodeText{S8_STATUS_TIMEOUT, {"Status read error", "状态读取错误"}},
    CodeText{S8_ID_REJECTED, {"ID fail", "ID错误"}},
    CodeText{S8_CHIP_LOCKED, {"ID Locked", "ID加密上锁"}},
    CodeText{S8_PART_UNSUPPORTED, {"Not support PartNo", "不支援此型号"}},
    CodeText{S8_CHECKSUM_ERROR, {"Checksum error", "检验和错误"}},
    CodeText{S8_CANCELLED, {"Cancel", "取消"}},
    CodeText{S8_FILE_ERROR, {"Open file error", "开启文件错误"}},
    CodeText{S8_PROJECT_CHECKSUM_ERROR, {"VLX file checksum error", "VLX文件检验和错误"}},
    CodeText{S8_PROJECT_BUFFER_ERROR, {"VLX buffer checksum error", "VLX代码检验和错误"}},
    CodeText{S8_PROJECT_TOOL_ERROR, {"VLX file tool ID error", "VLX文件工具码错误"}},
    CodeText{S8_PROJECT_PART_ERROR, {"VLX PartNo not support !", "VLX芯片型号不支援"}},
    CodeText{S8_PROJECT_OPTION_ERROR, {"Fail", "失败"}},
    CodeText{S8_POWER_ON_FAILED, {"Power on fail", "上电失败"}},
    CodeText{S8_POWER_DOWN_FAILED, {"Fail", "失败"}},
    CodeText{S8_NO_OFFLINE_INFO, {"Info is empty", "设置是空的"}},
    CodeText{S8_NO_RESPONSE, {"DUT no response", "芯片无反应"}},
    CodeText{S8_TRIM_FAILED, {"Trim frequency fail", "设置频率失败"}},
    CodeText{S8_FILE_TOO_LARGE, {"File is too large !", "文件太大了"}},
};

} // namespace

TextPair ResultText(std::int32_t code) {
    if (code == S8_PASS) return kPass;
    for (const CodeText& entry : kCodeTexts)
        if (entry.code == code) return entry.text;
    return kFail;
}

} // namespace scriba8::app::texts
