// SPDX-License-Identifier: MIT
// The texts of the project dialogs, each in English and Simplified Chinese.
#pragma once

#include "language.h"

#include <QString>

namespace scriba8::app {

inline QString Tr(const TextPair& pair, Language language) {
    const std::string_view text = pair.in(language);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace scriba8::app

namespace scriba8::app::texts {

// Request form
inline constexpr TextPair kFormPrompt{
    "If you need \"VLX Request Form\",\nplease fill in the following information.\n"
    "If you don't need it, please press \"Cancel\".",
    "如需要\"VLX Request Form\"，\n请输入以下资讯。\n如不需要请按\"取消\"。"};
inline constexpr TextPair kFormTo{"To : ", "收件人 : "};
inline constexpr TextPair kFormFrom{"Form : ", "寄件人 : "};
inline constexpr TextPair kFormPartNo{"Part No : ", "下单料号 : "};
inline constexpr TextPair kOk{"OK", "确定"};
inline constexpr TextPair kCancel{"Cancel", "取消"};
inline constexpr TextPair kPartNoEmpty{"\"Part No\" is empty !", "\"下单料号\"是空的 !"};
inline constexpr TextPair kRequestFormCaption{"VLX Request Form", "客户需求单"};
inline constexpr TextPair kPrint{"Print", "打印"};
inline constexpr TextPair kSaveAsPdf{"Save as PDF", "另存为PDF"};
inline constexpr TextPair kPdfFilter{"PDF files (*.pdf)", "PDF文件 (*.pdf)"};
inline constexpr TextPair kPdfNotWritten{
    "The PDF file could not be written. Choose a folder you may write to and try again.",
    "无法写入PDF文件。请选择可写入的文件夹后再试。"};

// Off-line mode
inline constexpr TextPair kOffLineCaption{"Off-Line Mode setting", "脱机模式设置"};
inline constexpr TextPair kMaxCounter{"Max Counter", "最大次数"};
inline constexpr TextPair kSerialNumber{"Serial Number", "序列号"};
inline constexpr TextPair kEnableSerial{"Enable Serial Number", "启用序列号"};
inline constexpr TextPair kAutoIncrement{"Auto Increment Number", "数字部份自动递增"};
inline constexpr TextPair kString{"String", "字符串"};
inline constexpr TextPair kNumber{"Number", "数字部份"};
inline constexpr TextPair kStartAddress{"Start Address", "起始地址"};
inline constexpr TextPair kEndAddress{"End Address", "结束地址"};
inline constexpr TextPair kReadInfoButton{"Read Info", "读取设置"};

// Read-back
inline constexpr TextPair kPartNoLabel{"PartNo : ", "芯片型号 : "};
inline constexpr TextPair kStoCode{"STO code", "STO代码"};
inline constexpr TextPair kSize{"Size", "大小"};
inline constexpr TextPair kCheckSumLabel{"Check Sum : ", "检验和 : "};
inline constexpr TextPair kAddress{"Address", "位置"};
inline constexpr TextPair kCurrentNumber{"Current Number", "当前数字"};
inline constexpr TextPair kUnlimitedNote{"(0 is meaning unlimited)", "(0表示无限制)"};
inline constexpr TextPair kCurrentCounter{"Current counter", "当前次数"};
inline constexpr TextPair kTrimFrequency{"Trim frequency", "设置频率"};
inline constexpr TextPair kEnableTrim{"Enable Trim frequency", "启用设置频率"};
inline constexpr TextPair kFrequency{"Frequency", "频率"};
inline constexpr TextPair kHwOption{"H/W Option", "硬件选项"};
inline constexpr TextPair kAutoGroup{"Auto", "自动"};
inline constexpr TextPair kUnknownPart{"(no chip of this program has the stored part code)",
                                       "(本程序没有与存储的型号对应的芯片)"};

} // namespace scriba8::app::texts
