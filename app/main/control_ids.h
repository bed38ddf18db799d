// SPDX-License-Identifier: MIT
// The numeric ids of the main window's controls and of the controls on its
// two buffer pages. Tests and handlers find controls by these numbers
// (CScriba8_T3Plus_APDlg::Control, CTabDlg_Flash::Control, ...).
#pragma once

namespace scriba8::appmain::ids {

// Buttons of the left column, top to bottom.
inline constexpr int kLoadFile = 1000;
inline constexpr int kSaveBuffer = 1001;
inline constexpr int kSaveVlx = 1002;
inline constexpr int kDumpTarget = 1003;
inline constexpr int kInsertIsp = 1004;
inline constexpr int kOffLineMode = 1005;

// Device buttons of the right column, top to bottom.
inline constexpr int kCheckId = 1006;
inline constexpr int kErase = 1007;
inline constexpr int kBlankCheck = 1008;
inline constexpr int kProgram = 1009;
inline constexpr int kEepromProgram = 1810;
inline constexpr int kVerify = 1010;
inline constexpr int kAuto = 1011;

inline constexpr int kSeriesList = 1013;
inline constexpr int kChipList = 1014;
inline constexpr int kBanner = 1015;
inline constexpr int kPartNoLabel = 1016;
inline constexpr int kCodeBufferGroup = 1017;
inline constexpr int kOptionGroup = 1018;
inline constexpr int kMessageGroup = 1019;

inline constexpr int kWriteOptions = 1027;
inline constexpr int kReadOptions = 1028;
inline constexpr int kWholeChipErase = 1029;

// Option item slot k = 0..5: Set list, Now box, group box, labels.
inline constexpr int kItemSetList = 1030;
inline constexpr int kItemNowBox = 1036;
inline constexpr int kItemGroup = 1042;
inline constexpr int kItemSetLabel = 1048;
inline constexpr int kItemNowLabel = 1054;
// Option bit slot j = 0..13: Set box, Now box (always disabled), name label.
inline constexpr int kBitSetBox = 1060;
inline constexpr int kBitNowBox = 1074;
inline constexpr int kBitName = 1088;
inline constexpr int kItemSlots = 6;
inline constexpr int kBitSlots = 14;

inline constexpr int kSetHead = 1102;
inline constexpr int kNowHead = 1103;
inline constexpr int kLog = 1104;
inline constexpr int kClearLog = 1227;
inline constexpr int kProgress = 1242;
inline constexpr int kEngineer = 1246;
inline constexpr int kTabs = 1799;
inline constexpr int kEnableModifyBuffer = 1825;
inline constexpr int kAutoReload = 1826;
inline constexpr int kReadChipChecksum = 1827;

// Buffer pages (the same id may occur on both pages).
inline constexpr int kHexEditor = 1124;
inline constexpr int kFilePathLabel = 1022;
inline constexpr int kFlashFilePath = 1800;
inline constexpr int kFlashBufferSize = 1801;
inline constexpr int kFlashBufferChecksum = 1802;
inline constexpr int kFlashChipChecksum = 1803;
inline constexpr int kEepromFilePath = 1803;
inline constexpr int kEepromChecksum = 1805;
inline constexpr int kBufferSizeLabel = 1807;
inline constexpr int kBufferChecksumLabel = 1808;
inline constexpr int kChecksumLabel = 1809;

// Customer string dialog.
inline constexpr int kCustomerLabel = 1236;
inline constexpr int kCustomerEdit = 1124;

} // namespace scriba8::appmain::ids
