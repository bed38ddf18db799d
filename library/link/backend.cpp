#include "link/hid_port.h"
#include "sim/virtual_backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace scriba8 {
namespace {
std::atomic<HidBackend*> override{nullptr};
} // namespace

HidBackend& activeBackend() {
    if (HidBackend* backend = override.load(std::memory_order_acquire)) return *backend;
    const char* choice = std::getenv("SCRIBA8_PROGRAMMER");
    if (choice != nullptr && std::strcmp(choice, "virtual") == 0) return sim::virtualBackend();
    return usbBackend();
}

void setBackendOverride(HidBackend* backend) {
    override.store(backend, std::memory_order_release);
}

} // namespace scriba8
