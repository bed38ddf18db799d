// SPDX-License-Identifier: MIT
#include "project_saver.h"

#include "chip_selection.h"
#include "lent_buffers.h"

namespace scriba8::app {

std::int32_t SaveProject(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers,
                         OperationLog& log, const SaveProjectSteps& steps) {
    return RunProjectImageCommand(api, record, buffers, log, texts::kSaveVlx, [&]() -> std::int32_t {
        const BodyInfo* chip = ChipRow(api, record.partIndex);
        if (steps.customerString && chip != nullptr && chip->customerStringSupported == 1 &&
            !steps.customerString())
            return S8_CANCELLED;
        // Only the low 16 bits of a result carry meaning.
        const std::int32_t result =
            api.SaveVLX != nullptr ? std::int32_t{static_cast<std::uint16_t>(api.SaveVLX(&record))}
                                   : std::int32_t{S8_FAIL};
        if (result == S8_PASS && steps.saved) steps.saved();
        return result;
    });
}

} // namespace scriba8::app
