// SPDX-License-Identifier: MIT
#include "link/hid_port.h"
#include "link/programmer_selection.h"
#include "sim/virtual_backend.h"

#include <atomic>

namespace scriba8 {
namespace {
std::atomic<HidBackend*> override{nullptr};

// Opens nothing: the selection named no programmer this library knows.
class UnknownSelection final : public HidBackend {
public:
    OpenResult open(std::uint16_t, std::uint16_t) override {
        OpenResult result;
        result.problem = UnknownSelectionText(ProgrammerEnvironment());
        return result;
    }
};

} // namespace

HidBackend& activeBackend() {
    if (HidBackend* backend = override.load(std::memory_order_acquire)) return *backend;
    const std::optional<ProgrammerSelection> selection =
        ParseProgrammerSelection(ProgrammerEnvironment());
    if (!selection) {
        static UnknownSelection* unknown = new UnknownSelection;
        return *unknown;
    }
    if (selection->kind == ProgrammerSelection::Kind::virtualProgrammer)
        return sim::virtualBackend();
    return usbBackend();
}

void setBackendOverride(HidBackend* backend) {
    override.store(backend, std::memory_order_release);
}

} // namespace scriba8
