// SPDX-License-Identifier: MIT
#include "project/save_dialog.h"

#include "files/utf8_path.h"
#include "project/record_text.h"

#include <filesystem>
#include <vector>

namespace scriba8 {

std::optional<std::string> chooseProjectSavePath(const ContextRecord& ctx) {
    const std::string folder = fieldText(ctx.projectFolder);
    if (ctx.host == nullptr || ctx.host->chooseSaveFile == nullptr) {
        return files::utf8FromPath(files::pathFromUtf8(folder) /
                                   files::pathFromUtf8(fieldText(ctx.projectFile)));
    }
    std::vector<char> path(S8_PATH_SIZE, '\0');
    if (ctx.host->chooseSaveFile(ctx.host->user, "vorlane Project File (*.vlx)", "*.vlx", "vlx",
                                 folder.c_str(), path.data(), path.size()) == 0) {
        return std::nullopt;
    }
    path.back() = '\0'; // a host that filled the whole buffer still ends here
    return std::string(path.data());
}

} // namespace scriba8
