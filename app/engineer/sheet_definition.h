// SPDX-License-Identifier: MIT
// What the sheet definition file says about the engineer window: the tab
// names and, per sheet, its register images and the rows it shows.
//
// Every count and size is clamped to the rows and images that exist, so a
// damaged or hostile file can neither index past a table nor make a sheet
// allocate without bound.
#pragma once

#include "private_profile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scriba8::engineer {

inline constexpr int kSheetCount = 4;
inline constexpr int kMaxEditRows = 5;
// A register image never exceeds the 8051's 64 KiB address space.
inline constexpr std::int32_t kMaxImageBytes = 0x10000;
// Values shown in one row of a hex field.
inline constexpr std::int32_t kMaxRowBytes = 256;

using app::PrivateProfile;

// The rows a sheet has room for.
struct SheetShape {
    int itemRows;
    int bitsPerItem; // bit names read per item
    bool bitBoxes;   // one-byte registers with a check box per bit
    bool editRows;
};
SheetShape ShapeOf(int sheet);

struct ItemRecord {
    std::string name;
    std::int64_t addrOffset = 0;
    std::int32_t size = 0;
    std::vector<std::string> bitNames;
};

struct EditRecord {
    std::string name;
    std::int64_t addrOffset = 0;
    std::int32_t size = 0;
};

struct SheetDefinition {
    std::int64_t area = 0;
    std::uint32_t address = 0;
    std::int32_t writeOfBytes = 0;
    std::int32_t readOfBytes = 0;
    std::vector<ItemRecord> items; // ItemCount entries
    std::vector<EditRecord> edits; // EditCount entries (sheet 1 only)
};

// "SheetCount" tab labels, at most one per sheet.
std::vector<std::string> ReadTabNames(const PrivateProfile& profile);

// Section "Sheet<n>" as sheet n reads it.
SheetDefinition ReadSheetDefinition(const PrivateProfile& profile, int sheet);

// "1F00" -> 0x1F00; leading hexadecimal digits only, 0 when there are none.
std::uint32_t ParseHexAddress(std::string_view text);

} // namespace scriba8::engineer
