// Exports whose operations are not in the library yet. They answer with the
// generic failure so a caller never mistakes them for success.
#include "export_impl.h"
#include "status_word.h"

namespace scriba8 {
namespace {
std::int32_t notAvailable(ContextRecord* ctx) {
    StatusWord status(ctx->status);
    status.start();
    return status.finish(S8_FAIL);
}
} // namespace

std::int32_t offLineMode(ContextRecord* ctx) { return notAvailable(ctx); }
std::int32_t readOffLineModeInfo(ContextRecord* ctx) { return notAvailable(ctx); }

} // namespace scriba8
