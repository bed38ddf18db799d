// SPDX-License-Identifier: MIT
#include "project/vlx_save.h"

#include "chips/chip_table.h"
#include "chips/options.h"
#include "export_impl.h"
#include "files/atomic_file.h"
#include "files/utf8_path.h"
#include "project/save_dialog.h"
#include "project/record_text.h"
#include "status_word.h"

#include <filesystem>
#include <memory>

namespace scriba8 {
namespace {

// The fields a successful save reports back to the caller.
void commitSavedFields(ContextRecord& ctx, const ContextRecord& saved,
                       const std::string& fileName) {
    setFieldText(ctx.projectFile, fileName);
    ctx.projectChecksum = saved.projectChecksum;
    ctx.projectId = saved.projectId;
    ctx.projectMark = saved.projectMark;
    ctx.trimWord = saved.trimWord;
    ctx.projectTag = saved.projectTag;
    std::copy(std::begin(saved.saveTime), std::end(saved.saveTime), ctx.saveTime);
    ctx.toolVersion = saved.toolVersion;
}

} // namespace

std::int32_t saveProject(ContextRecord& ctx, const SaveStamp& stamp, TrimStep trim) {
    if (chipAt(ctx.partIndex) == nullptr) return S8_FAIL; // nothing to ask a file name for

    const auto chosen = chooseProjectSavePath(ctx);
    if (!chosen || chosen->empty()) return S8_CANCELLED;
    const std::filesystem::path path = files::pathFromUtf8(*chosen);
    std::string folder = files::utf8FromPath(path.parent_path());
    if (!folder.empty() && folder.back() != '/') folder += '/';
    setFieldText(ctx.projectFolder, folder);

    // Built on a copy: a refused or failed save leaves the record as it was.
    auto draft = std::make_unique<ContextRecord>(ctx);
    std::vector<std::uint8_t> file;
    const std::int32_t built = buildProjectFile(*draft, stamp, trim, file);
    if (built != S8_PASS) return built;
    if (files::writeFileAtomically(*chosen, file) != 0) return S8_FILE_ERROR;

    commitSavedFields(ctx, *draft, files::utf8FromPath(path.filename()));
    return S8_PASS;
}

std::int32_t saveVlx(ContextRecord* ctx) {
    StatusWord status(ctx->status);
    status.start();
    return status.finish(saveProject(*ctx, makeSaveStamp(), &TrimWordFromSelection));
}

} // namespace scriba8
