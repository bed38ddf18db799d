// SPDX-License-Identifier: MIT
// Texts that only the desktop window shows. Command names shared with the log
// and the command-line tool come from texts.h.
#pragma once

#include "language.h"
#include "texts.h"

#include <array>
#include <string_view>

namespace scriba8::appmain::texts {

using app::TextPair;
using namespace app::texts;

inline constexpr TextPair kMaker{"vorlane", "沃岚科技"};
inline constexpr std::string_view kProduct = "Scriba8 T3Plus";
inline constexpr std::string_view kTemplateCaption = "Scriba8_T3Plus_AP";

inline constexpr TextPair kPartNo{"PartNo : ", "芯片型号 : "};
inline constexpr TextPair kFilePath{"File Path : ", "文件路径 : "};
inline constexpr TextPair kBufferSize{"Buffer Size : ", "缓冲区大小 : "};
inline constexpr TextPair kBufferChecksum{"Buffer Checksum : ", "缓冲区检验和 : "};
inline constexpr TextPair kEepromChecksum{"Check Sum : ", "检验和 : "};
inline constexpr TextPair kCodeBuffer{"Code Buffer", "代码缓冲区"};
inline constexpr TextPair kHwOption{"H/W Option", "硬件选项"};
inline constexpr TextPair kMessage{"Message", "消息框"};
inline constexpr TextPair kSetHead{"Set", "设置"};
inline constexpr TextPair kNowHead{"Now", "读取"};
inline constexpr TextPair kClear{"Clear", "清除"};
inline constexpr TextPair kEnableModifyBuffer{"Enable Modify Buffer", "开启修改缓冲区"};
inline constexpr TextPair kNotSupportRead{"Not support read", "不支持读取"};
inline constexpr TextPair kNoBodyInfo{"DLL does not have any body info !", "DLL没有任何芯片信息"};
inline constexpr TextPair kCustomerString{"Customer string", "自定义字符串"};
inline constexpr TextPair kOk{"OK", "确定"};

// The menu texts are the same in both languages.
inline constexpr std::string_view kLanguageMenu = "Language";
inline constexpr std::string_view kEnglish = "English";
inline constexpr std::string_view kChinese = "简体中文";
inline constexpr std::string_view kUpdateItem = "更新 Scriba8 T3Plus(&A)...";

inline constexpr std::array<std::string_view, 14> kSeriesNames{
    "Series A", "Series B", "Series C", "Series D", "Series E", "Series F", "Series G",
    "Series H", "Series I", "Series J", "Series K", "Series L", "Series M", "Series N"};

} // namespace scriba8::appmain::texts
