#include "project_saver.h"

#include "lent_buffers.h"

namespace scriba8::app {

std::int32_t SaveProject(const LibraryApi& api, ContextRecord& record, const CodeBuffers& buffers,
                         OperationLog& log) {
    return RunProjectImageCommand(api, record, buffers, log, texts::kSaveVlx, [&]() -> std::int32_t {
        // Only the low 16 bits of a result carry meaning.
        return api.SaveVLX != nullptr ? std::int32_t{static_cast<std::uint16_t>(api.SaveVLX(&record))}
                                       : std::int32_t{S8_FAIL};
    });
}

} // namespace scriba8::app
