// SPDX-License-Identifier: MIT
// The application's own texts, each in English and Simplified Chinese.
#pragma once

#include "language.h"

#include <cstdint>

namespace scriba8::app::texts {

// Outcomes
inline constexpr TextPair kPass{"Pass", "成功"};
inline constexpr TextPair kFail{"Fail", "失败"};
inline constexpr TextPair kSaveFileError{"Save file error", "保存文件错误"};
inline constexpr TextPair kBufferEmpty{"Buffer is empty", "代码缓冲区是空的"};

// Command titles of the log's start lines
inline constexpr TextPair kCheckId{"Check ID", "ID检测"};
inline constexpr TextPair kErase{"Erase", "擦除"};
inline constexpr TextPair kBlankCheck{"Blank Check", "空检测"};
inline constexpr TextPair kProgram{"Program", "编程"};
inline constexpr TextPair kEepromProgram{"EEPROM Program", "E方编程"};
inline constexpr TextPair kVerify{"Verify", "校验"};
inline constexpr TextPair kWriteOptions{"Write Options", "写选项"};
inline constexpr TextPair kReadOptions{"Read Options", "读选项"};
inline constexpr TextPair kWholeChipErase{"WholeChip Erase", "整片擦除"};
inline constexpr TextPair kReadChipChecksum{"Read Chip Checksum", "读取芯片检验和"};
inline constexpr TextPair kDumpTarget{"Dump Target", "读目标芯片"};
inline constexpr TextPair kAuto{"Auto", "自动"};
inline constexpr TextPair kLoadFile{"Load File", "打开文件"};
inline constexpr TextPair kAutoReload{"Auto Reload", "自动重载"};
inline constexpr TextPair kSaveBuffer{"Save Buffer", "保存数据"};
inline constexpr TextPair kSaveVlx{"Save VLX", "保存项目*.VLX"};
inline constexpr TextPair kInsertIsp{"Insert ISP-code", "插入ISP代码"};
inline constexpr TextPair kOffLineMode{"Off-Line Mode", "脱机模式"};
inline constexpr TextPair kReadInfo{"Read Info", "读取设置"};
// A step inside any device command, when the programmer's firmware is updated first
inline constexpr TextPair kFirmwareUpdate{"Update Programmer Firmware", "更新编程器固件"};
inline constexpr TextPair kWriteEngineer{"Write Engineer OR", "写工程版选项"};
inline constexpr TextPair kReadEngineer{"Read Engineer OR", "读工程版选项"};

// Other captions
inline constexpr TextPair kChipChecksumLabel{"Chip Checksum : ", "芯片检验和 : "};
inline constexpr TextPair kSaveChipChecksum{"Save Chip Checksum", "保存芯片检验和"};
inline constexpr TextPair kRun{"Run", "执行"};

// The text shown for a result code: "Pass" for success, the code's own text,
// or "Fail" for any code without one.
TextPair ResultText(std::int32_t code);

} // namespace scriba8::app::texts
