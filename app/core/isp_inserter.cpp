// SPDX-License-Identifier: MIT
#include "isp_inserter.h"

#include "file_errors.h"
#include "file_paths.h"
#include "texts.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace scriba8::app {
namespace {

std::int32_t insert(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                    const IspCodeChoice& choice, IspInsertOutcome& outcome) {
    const ChipSizes chip = ChipSizesOf(api, record.partIndex).value_or(ChipSizes{});
    if (chip.flashSize == 0 || api.InsertISPcode == nullptr) return S8_FAIL;
    if (buffers.flash.size() > chip.flashSize) return S8_FILE_TOO_LARGE;

    const std::string fileName = choice.builtIn ? std::string("Default") : choice.userFile;
    if (!CopyToField(fileName, record.ispCodeFile, sizeof record.ispCodeFile)) {
        outcome.reason = FileReason(fileName, ENAMETOOLONG, Language::english);
        return S8_FILE_ERROR;
    }
    record.ispCodeSource = choice.builtIn ? 0 : 1;

    // The library may grow the image up to the chip's size.
    std::vector<std::uint8_t> image =
        ApplyFillMode(buffers.flash, buffers.record(BufferTab::flash).fillMode, chip.flashSize);
    const auto length = static_cast<std::uint32_t>(image.size());
    image.resize(chip.flashSize, 0xFF);
    record.flashData = image.data();
    record.flashLength = length;
    record.flashStart = 0;
    const std::int32_t result = static_cast<std::uint16_t>(api.InsertISPcode(&record));
    const std::uint32_t newLength = std::min(record.flashLength, chip.flashSize);
    record.flashData = nullptr;
    if (result != S8_PASS) return result;

    image.resize(newLength);
    buffers.flash = std::move(image);
    const std::string label(FileNameOf(record.ispCodeFile));
    CopyToField(label, record.ispCodeFile, sizeof record.ispCodeFile);
    BufferFileRecord& flashRecord = buffers.record(BufferTab::flash);
    const bool alone =
        flashRecord.kind == BufferKind::empty || flashRecord.kind == BufferKind::ispInserted;
    flashRecord.kind = alone ? BufferKind::ispInserted : BufferKind::mixedFiles;
    outcome.displayName = alone ? label : label + " (Mixed file)";
    outcome.summary = SummarizeFlash(buffers.flash, chip.flashSize);
    return S8_PASS;
}

} // namespace

IspInsertOutcome InsertIspCode(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                               OperationLog& log, const IspCodeChoice& choice) {
    const std::uint32_t start = log.startCommand(texts::kInsertIsp);
    return InsertIspCode(api, record, buffers, log, choice, start);
}

IspInsertOutcome InsertIspCode(const LibraryApi& api, ContextRecord& record, CodeBuffers& buffers,
                               OperationLog& log, const IspCodeChoice& choice,
                               std::uint32_t startTick) {
    const std::uint32_t start = startTick;
    IspInsertOutcome outcome;
    const Language language = log.language();
    // A user file that cannot be read at all is said as such; the library
    // would only call it an open error.
    int problem = 0;
    if (!choice.builtIn) {
        problem = InputFileProblem(choice.userFile);
        if (problem != 0) {
            outcome.result = S8_FILE_ERROR;
            outcome.reason = FileReason(choice.userFile, problem, language);
        } else if (ReadableFileSize(choice.userFile) == std::uintmax_t{0}) {
            problem = -1;
            outcome.damaged = true;
            outcome.result = S8_FILE_ERROR;
            outcome.reason = FileReason(choice.userFile, reasons::kEmptyFile, language);
        }
    }
    if (problem == 0) {
        outcome.result = insert(api, record, buffers, choice, outcome);
        if (outcome.result != S8_PASS && !choice.builtIn && outcome.reason.empty()) {
            outcome.reason = IspFileFailureReason(choice.userFile, outcome.result, language);
            outcome.damaged = outcome.result == S8_FILE_ERROR;
        }
    }
    log.result(outcome.result);
    if (!outcome.reason.empty()) log.append(" (" + outcome.reason + ")");
    log.finishCommand(start);
    return outcome;
}

} // namespace scriba8::app
