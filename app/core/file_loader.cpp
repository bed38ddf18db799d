#include "file_loader.h"

#include "file_paths.h"
#include "intel_hex.h"
#include "project_loader.h"
#include "texts.h"

#include <new>

namespace scriba8::app {

LoadOutcome FileLoader::load(const LoadRequest& request) {
    LoadOutcome outcome;
    const std::uint32_t start =
        log_.startCommand(request.reloading ? texts::kAutoReload : texts::kLoadFile);

    const BufferFileRecord& record = buffers_.record(request.tab);
    const std::string path = request.reloading ? record.filePath : request.path;
    const std::string extension =
        request.reloading ? UpperCase(record.fileExtension) : ExtensionOf(path);
    const ChipSizes chip = ChipSizesOf(api_, record_.partIndex).value_or(ChipSizes{});

    try {
        outcome.result = extension == "VLX"
                             ? loadProjectFile(path, outcome)
                             : loadCodeFile(request, path, extension, chip, outcome);
    } catch (const std::bad_alloc&) {
        // A file too big to hold in memory; the buffers are only replaced
        // once everything is in place, so they are unchanged.
        outcome = LoadOutcome{};
        outcome.result = S8_FILE_TOO_LARGE;
    }
    if (outcome.result == S8_PASS) {
        // A project may have changed the chip.
        const ChipSizes now = ChipSizesOf(api_, record_.partIndex).value_or(ChipSizes{});
        outcome.summary = SummarizeFlash(buffers_.bytes(request.tab), now.flashSize);
    }
    log_.result(outcome.result);
    log_.finishCommand(start);
    return outcome;
}

bool FileLoader::askArea(const LoadRequest& request) {
    if (!request.chooseArea) return true;
    BufferFileRecord& flash = buffers_.record(BufferTab::flash);
    const AreaChoice current{buffers_.loadOffset, buffers_.clearBeforeLoad, flash.fillMode};
    const std::optional<AreaChoice> choice = request.chooseArea(current);
    if (!choice) return false;
    buffers_.loadOffset = choice->loadOffset;
    buffers_.clearBeforeLoad = choice->clearBeforeLoad;
    flash.fillMode = choice->fillMode;
    return true;
}

std::int32_t FileLoader::loadCodeFile(const LoadRequest& request, const std::string& path,
                                      const std::string& extension, const ChipSizes& chip,
                                      LoadOutcome& outcome) {
    const BufferTab tab = request.tab;
    if (tab == BufferTab::flash && !request.reloading && !askArea(request)) return S8_CANCELLED;

    const std::optional<std::uintmax_t> fileSize = ReadableFileSize(path);
    if (!fileSize) return S8_FILE_ERROR;

    const std::uint64_t capacity = tab == BufferTab::flash ? chip.flashSize : chip.eepromSize;
    const std::uint64_t offset = buffers_.loadOffset;
    if (offset > capacity) return S8_FILE_TOO_LARGE;
    const bool hex = extension == "HEX";
    // A binary file is its own image: too large is known before reading it.
    if (!hex && *fileSize > capacity - offset) return S8_FILE_TOO_LARGE;

    std::optional<std::vector<std::uint8_t>> contents = ReadWholeFile(path);
    if (!contents) return S8_FILE_ERROR;
    std::vector<std::uint8_t> data;
    if (hex) {
        const std::string_view text(reinterpret_cast<const char*>(contents->data()),
                                    contents->size());
        HexParseResult parsed = ParseIntelHex(text, capacity - offset);
        if (!parsed.fits) return S8_FILE_TOO_LARGE;
        data = std::move(parsed.image);
    } else {
        data = std::move(*contents);
    }

    // Everything is built before the buffer and its record change.
    BufferFileRecord& record = buffers_.record(tab);
    const BufferKind oldKind =
        !request.reloading && buffers_.clearBeforeLoad ? BufferKind::empty : record.kind;
    std::vector<std::uint8_t>& bytes = buffers_.bytes(tab);
    MergedBuffer merged =
        MergeLoadedData(bytes, oldKind, data, buffers_.loadOffset, request.reloading, path);
    if (tab == BufferTab::flash)
        merged.bytes = ApplyFillMode(std::move(merged.bytes), record.fillMode, chip.flashSize);
    std::string extensionKept = request.reloading ? record.fileExtension : extension;
    std::string pathKept = request.reloading ? record.filePath : path;

    bytes = std::move(merged.bytes);
    record.kind = merged.kind;
    record.filePath = std::move(pathKept);
    record.fileExtension = std::move(extensionKept);
    if (tab == BufferTab::flash)
        CopyToField(FileNameOf(path), record_.codeFileName, sizeof record_.codeFileName);
    outcome.displayName = std::move(merged.displayName);
    return S8_PASS;
}

std::int32_t FileLoader::loadProjectFile(const std::string& path, LoadOutcome& outcome) {
    LoadedProject project = LoadProject(api_, record_, path);
    if (project.result != S8_PASS) return project.result;

    // The project's chip becomes the selected chip, with fresh buffers.
    const ChipSizes chip = ChipSizesOf(api_, record_.partIndex).value_or(ChipSizes{});
    ResetForChip(buffers_, chip.eepromSize);
    buffers_.flash = std::move(project.flash);
    buffers_.record(BufferTab::flash).kind = BufferKind::singleFile;
    if (project.eeprom) {
        buffers_.eeprom = std::move(*project.eeprom);
        buffers_.record(BufferTab::eeprom).kind = BufferKind::singleFile;
    }
    outcome.project = true;
    outcome.displayName = path + " (" + project.codeFileName + ")";
    return S8_PASS;
}

std::int32_t FileLoader::saveBuffer(BufferTab tab, const std::string& path) {
    const std::uint32_t start = log_.startCommand(texts::kSaveBuffer);
    const bool saved = WriteWholeFile(path, buffers_.bytes(tab));
    log_.outcome(saved ? texts::kPass : texts::kSaveFileError);
    log_.finishCommand(start);
    return saved ? S8_PASS : S8_FILE_ERROR;
}

} // namespace scriba8::app
