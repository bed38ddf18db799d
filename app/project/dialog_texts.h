// SPDX-License-Identifier: MIT
// Texts of the insert-ISP and select-area dialogs, and how both name their
// controls.
#pragma once

#include "language.h"
#include "project_texts.h"

#include <QString>

class QDialogButtonBox;
class QWidget;

namespace scriba8::app {

// Controls are found by their numeric id: object name "control<id>", as in
// the main window.
void SetControlId(QWidget* control, int id);

// OK (id 1, the default button) and Cancel (id 2) for a dialog; the caller
// connects accepted and rejected.
QDialogButtonBox* OkCancelButtons(QWidget* dialog, Language language);

namespace dialog_texts {

inline constexpr TextPair kInsertIspTitle{"Insert ISP-code", "插入ISP代码"};
inline constexpr TextPair kDefaultIsp{"vorlane default ISP code", "沃岚提供的ISP代码"};
inline constexpr TextPair kUserIsp{"User-defined ISP code", "用户自定义的ISP代码"};
inline constexpr TextPair kLoadFile{"Load File", "打开文件"};
inline constexpr TextPair kFillUnused{"Fill unused bytes", "填充未使用的字节"};

inline constexpr TextPair kSelectAreaTitle{"Select Insert Area", "选择插入区域"};
inline constexpr TextPair kApCode{"AP (Code)", "AP (代码)"};
inline constexpr TextPair kIapData{"IAP (Data)", "IAP (数据)"};
inline constexpr TextPair kAddress{"Address : 0x", "位置 : 0x"};
inline constexpr TextPair kClearBuffer{"Clear Buffer", "清除缓冲区"};

} // namespace dialog_texts
} // namespace scriba8::app
