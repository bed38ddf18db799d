#include "project_saver.h"

#include "lent_buffers.h"
#include "texts.h"

namespace scriba8::app {

std::int32_t SaveProject(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers,
                         OperationLog& log) {
    const std::uint32_t start = log.startCommand(texts::kSaveVlx);
    std::int32_t result = S8_FAIL;
    {
        const LentProjectImage image(api, record, buffers);
        if (image.empty()) {
            log.outcome(texts::kBufferEmpty);
            log.finishCommand(start);
            return S8_FAIL;
        }
        record.autoProcess = static_cast<std::uint16_t>(record.autoProcess | S8_STEP_RUNNING);
        // Only the low 16 bits of a result carry meaning.
        if (api.SaveVLX != nullptr) result = static_cast<std::uint16_t>(api.SaveVLX(&record));
        record.autoProcess = static_cast<std::uint16_t>(record.autoProcess & ~S8_STEP_RUNNING);
    }
    log.result(result);
    log.finishCommand(start);
    return result;
}

} // namespace scriba8::app
