// SPDX-License-Identifier: MIT
#include "interruption.h"

namespace scriba8::cli {

std::string_view StoppingNote(app::Language language) {
    return language == app::Language::chinese
               ? "\nscriba8：当前步骤完成后停止（再按一次立即停止）\n"
               : "\nscriba8: stopping after the step in progress (again to stop at once)\n";
}

} // namespace scriba8::cli
