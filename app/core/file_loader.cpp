// SPDX-License-Identifier: MIT
#include "file_loader.h"

#include "file_errors.h"
#include "file_paths.h"
#include "image_output.h"
#include "intel_hex.h"
#include "project_loader.h"
#include "texts.h"

#include <cerrno>
#include <new>

namespace scriba8::app {
namespace {

constexpr std::uint64_t kLargestHexText = 256u << 20;

} // namespace

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
    if (outcome.result != S8_PASS) outcome.warnings.clear();
    if (outcome.result == S8_PASS) {
        // A project may have changed the chip.
        const ChipSizes now = ChipSizesOf(api_, record_.partIndex).value_or(ChipSizes{});
        outcome.summary = SummarizeFlash(buffers_.bytes(request.tab), now.flashSize);
    }
    log_.result(outcome.result);
    if (!outcome.reason.empty()) log_.append(" (" + outcome.reason + ")");
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

    const Language language = log_.language();
    const std::uint64_t capacity = tab == BufferTab::flash ? chip.flashSize : chip.eepromSize;
    const bool hex = IsHexExtension(extension);
    const bool absolute = hex && request.absolute;
    // A reload goes where its file went, whatever was loaded since.
    const std::uint64_t offset = absolute            ? 0
                                 : request.reloading ? buffers_.record(tab).loadOffset
                                                     : buffers_.loadOffset;
    if (offset > capacity) return S8_FILE_TOO_LARGE;
    // A binary file is its own image: too large is known before reading it.
    // A HEX file may repeat its records many times over (some tools write
    // every pass of a build): what counts is the image it describes, checked
    // after parsing. Only text beyond any sensible size is not read.
    const std::uint64_t maxFileSize = hex ? kLargestHexText : capacity - offset;
    FileContents contents = ReadFileContents(path, maxFileSize);
    if (contents.error == EFBIG) {
        if (!hex) {
            const std::uint64_t size = ReadableFileSize(path).value_or(maxFileSize + 1);
            outcome.reason = TooLargeReason(path, 0, size, offset, capacity, language);
        } else {
            outcome.reason = FileReason(path, reasons::kHexTextTooLarge, language);
        }
        return S8_FILE_TOO_LARGE;
    }
    if (contents.error != 0) {
        outcome.reason = FileReason(path, contents.error, language);
        return S8_FILE_ERROR;
    }
    if (contents.bytes.empty()) {
        outcome.reason = FileReason(path, reasons::kEmptyFile, language);
        outcome.damaged = true;
        return S8_FILE_ERROR;
    }

    std::vector<std::uint8_t> data;
    std::uint64_t placeAt = offset;
    if (hex) {
        const std::string_view text(reinterpret_cast<const char*>(contents.bytes.data()),
                                    contents.bytes.size());
        HexParseResult parsed = ParseIntelHex(text, capacity - offset);
        if (parsed.fault != HexFault::none) {
            outcome.reason = HexFaultReason(path, parsed.fault, parsed.faultLine, language);
            outcome.damaged = true;
            return S8_FILE_ERROR;
        }
        const std::uint64_t dataEnd = parsed.lowestAddress + parsed.span;
        if (absolute) placeAt = parsed.lowestAddress;
        if (!parsed.fits || placeAt + parsed.span > capacity) {
            outcome.reason = TooLargeReason(path, parsed.lowestAddress, dataEnd, placeAt, capacity,
                                            language);
            return S8_FILE_TOO_LARGE;
        }
        if (parsed.firstOverlap)
            outcome.warnings.push_back(
                OverlapWarning(path, *parsed.firstOverlap, parsed.overlappingBytes, language));
        outcome.hexLowestAddress = parsed.lowestAddress;
        data = std::move(parsed.image);
    } else {
        data = std::move(contents.bytes);
    }

    // Everything is built before the buffer and its record change.
    BufferFileRecord& record = buffers_.record(tab);
    const BufferKind oldKind =
        !request.reloading && buffers_.clearBeforeLoad ? BufferKind::empty : record.kind;
    std::vector<std::uint8_t>& bytes = buffers_.bytes(tab);
    MergedBuffer merged =
        MergeLoadedData(bytes, oldKind, data, static_cast<std::uint32_t>(placeAt),
                        request.reloading, path);
    if (tab == BufferTab::flash)
        merged.bytes = ApplyFillMode(std::move(merged.bytes), record.fillMode, chip.flashSize);
    std::string extensionKept = request.reloading ? record.fileExtension : extension;
    std::string pathKept = request.reloading ? record.filePath : path;

    bytes = std::move(merged.bytes);
    record.kind = merged.kind;
    record.loadOffset = static_cast<std::uint32_t>(placeAt);
    record.filePath = std::move(pathKept);
    record.fileExtension = std::move(extensionKept);
    if (tab == BufferTab::flash)
        CopyToField(FileNameOf(path), record_.codeFileName, sizeof record_.codeFileName);
    outcome.displayName = std::move(merged.displayName);
    return S8_PASS;
}

std::int32_t FileLoader::loadProjectFile(const std::string& path, LoadOutcome& outcome) {
    LoadedProject project = LoadProject(api_, record_, path, log_.language());
    if (project.result != S8_PASS) {
        outcome.reason = std::move(project.reason);
        outcome.damaged = project.damaged;
        return project.result;
    }

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
    const int error = WriteImageFile(path, buffers_.bytes(tab));
    log_.outcome(error == 0 ? texts::kPass : texts::kSaveFileError);
    if (error != 0) log_.append(" (" + FileReason(path, error, log_.language()) + ")");
    log_.finishCommand(start);
    return error == 0 ? S8_PASS : S8_FILE_ERROR;
}

} // namespace scriba8::app
