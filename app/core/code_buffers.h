// SPDX-License-Identifier: MIT
// The Flash and EEPROM code buffers, what the application remembers about
// where their bytes came from, and how a loaded file is merged into them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scriba8::app {

enum class BufferTab { flash = 0, eeprom = 1 };

enum class BufferKind : std::int32_t {
    empty = 0,       // nothing loaded, or freshly reset
    singleFile = 1,  // one loaded file, or a project's data
    mixedFiles = 2,  // several files merged
    targetDump = 3,  // read back from the chip
    ispInserted = 4, // boot code was inserted
};

// How a Flash load fills the rest of the chip.
enum class FillMode : std::int32_t { none = 0, zeros = 1, ones = 2 };

struct BufferFileRecord {
    BufferKind kind = BufferKind::empty;
    FillMode fillMode = FillMode::none;
    std::string filePath;      // last file the operator loaded, for the reload
    std::string fileExtension; // its extension in upper case
    std::uint32_t loadOffset = 0; // where that file was placed, for the reload
};

// Only a buffer that holds loaded files can be loaded again from its file.
inline bool CanReload(const BufferFileRecord& record) {
    return record.kind == BufferKind::singleFile || record.kind == BufferKind::mixedFiles;
}

struct CodeBuffers {
    std::vector<std::uint8_t> flash;
    std::vector<std::uint8_t> eeprom;
    std::array<BufferFileRecord, 2> file; // indexed by BufferTab
    std::uint32_t loadOffset = 0;         // where the next loaded file starts
    bool clearBeforeLoad = false;

    std::vector<std::uint8_t>& bytes(BufferTab tab) {
        return tab == BufferTab::flash ? flash : eeprom;
    }
    const std::vector<std::uint8_t>& bytes(BufferTab tab) const {
        return tab == BufferTab::flash ? flash : eeprom;
    }
    BufferFileRecord& record(BufferTab tab) { return file[static_cast<std::size_t>(tab)]; }
    const BufferFileRecord& record(BufferTab tab) const {
        return file[static_cast<std::size_t>(tab)];
    }
};

// The state after a chip change: empty Flash, an erased EEPROM of the chip's
// size, both records reset, the load offset back at 0.
void ResetForChip(CodeBuffers& buffers, std::uint32_t eepromSize);

struct MergedBuffer {
    std::vector<std::uint8_t> bytes;
    BufferKind kind = BufferKind::empty;
    std::string displayName;
};

// Places loaded data at offset into a buffer of the given kind. Empty and
// dumped buffers are replaced, and so is a single file by its own reload:
// what it no longer holds must not stay behind. Buffers holding several
// files keep their bytes around the new data and are mixed.
MergedBuffer MergeLoadedData(std::span<const std::uint8_t> current, BufferKind currentKind,
                             std::span<const std::uint8_t> data, std::uint32_t offset,
                             bool reloading, const std::string& path);

// A Flash buffer extended to the chip's size with 0x00 or 0xFF; unchanged
// for FillMode::none. Bytes beyond the chip's size are kept.
std::vector<std::uint8_t> ApplyFillMode(std::vector<std::uint8_t> bytes, FillMode mode,
                                        std::uint32_t flashSize);

} // namespace scriba8::app
