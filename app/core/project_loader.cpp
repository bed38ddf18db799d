// SPDX-License-Identifier: MIT
#include "project_loader.h"

#include "file_errors.h"
#include "file_paths.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

namespace scriba8::app {
namespace {

LoadedProject failed(std::int32_t code) {
    LoadedProject project;
    project.result = code;
    return project;
}

std::int32_t lowWord(std::int32_t code) { return static_cast<std::uint16_t>(code); }

} // namespace

LoadedProject LoadProject(const LibraryApi& api, ContextRecord& record, const std::string& path,
                          Language language) {
    // A failing footer leaves the fields it wrote before the failure (the
    // chip row among them), so the whole record is put back on any failure.
    static_assert(std::is_trivially_copyable_v<ContextRecord>);
    auto saved = std::make_unique<ContextRecord>();
    std::memcpy(saved.get(), &record, sizeof record);
    bool emptyFile = false;
    auto fail = [&](std::int32_t code, std::string reason = {}) {
        std::memcpy(&record, saved.get(), sizeof record);
        LoadedProject project = failed(code);
        project.reason = reason.empty() ? ProjectFailureReason(path, code, language) : reason;
        project.damaged = IsDamagedFileResult(code) || emptyFile;
        return project;
    };

    // What keeps the library from reading the file at all is said as such:
    // an empty file is not a damaged one.
    if (const int problem = InputFileProblem(path); problem != 0)
        return fail(S8_FILE_ERROR, FileReason(path, problem, language));
    emptyFile = ReadableFileSize(path) == std::uintmax_t{0};
    if (emptyFile)
        return fail(S8_FILE_ERROR, FileReason(path, reasons::kEmptyFile, language));

    if (!CopyToField(path, record.projectFile, sizeof record.projectFile))
        return fail(S8_FILE_ERROR);
    // A project without an EEPROM section does not touch these; left at the
    // chip's EEPROM size they would make the buffer read take the footer for
    // EEPROM data.
    record.eepromLength = 0;
    record.eepromChecksum = 0;

    const std::int32_t footer = lowWord(api.LoadVLXFooter(&record));
    if (footer != S8_PASS) return fail(footer);

    // The lengths come from the file; they cannot be larger than the file.
    const std::optional<std::uintmax_t> fileSize = ReadableFileSize(path);
    if (!fileSize) return fail(S8_FILE_ERROR);
    if (std::uintmax_t{record.flashLength} + record.eepromLength > *fileSize)
        return fail(S8_PROJECT_BUFFER_ERROR,
                    FileReason(path,
                               TextPair{"the file is cut short: it holds less code than it says",
                                        "文件不完整：其中的代码少于文件所记录的长度"},
                               language));

    LoadedProject project;
    project.codeFileName = record.codeFileName;
    const std::uint32_t flashLength = record.flashLength;
    const std::uint32_t eepromLength = record.eepromLength;
    // At least one byte, so the library never gets a null buffer.
    std::vector<std::uint8_t> flash(std::max<std::size_t>(flashLength, 1));
    std::vector<std::uint8_t> eeprom(std::max<std::size_t>(eepromLength, 1));
    record.flashData = flash.data();
    record.eepromData = eepromLength != 0 ? eeprom.data() : nullptr;

    const std::int32_t buffer = lowWord(api.LoadVLXBuffer(&record));
    record.flashData = nullptr;
    record.eepromData = nullptr;
    if (buffer != S8_PASS) return fail(buffer);

    flash.resize(flashLength);
    project.flash = std::move(flash);
    if (eepromLength != 0) {
        eeprom.resize(eepromLength);
        project.eeprom = std::move(eeprom);
    }
    project.result = S8_PASS;
    return project;
}

} // namespace scriba8::app
