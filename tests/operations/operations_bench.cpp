// SPDX-License-Identifier: MIT
// The library's own cost of moving 64 KiB: Program plus Verify over the
// virtual programmer with no pacing, so nearly all the time measured is the
// library's (and the virtual device's) CPU work. The link_share counter puts
// it beside the USB link, which needs about a second or more for 64 KiB.
#include "export_impl.h"
#include "link/hid_port.h"
#include "sim/virtual_backend.h"
#include "sim/virtual_programmer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

namespace {

using namespace scriba8;

constexpr double kLinkSecondsPer64KiB = 1.0;

double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::int32_t chipWith64KiB() {
    for (std::size_t i = 0; i < chipTable().size(); ++i) {
        if (chipTable()[i].flashSize == 0x10000) return static_cast<std::int32_t>(i);
    }
    return -1;
}

// A full 64 KiB chip of random bytes on a fresh virtual programmer. The
// record points into the job, so a job stays where it was made.
struct FullChipJob {
    std::vector<std::uint8_t> image;
    std::uint16_t status = 0;
    ContextRecord ctx{};

    explicit FullChipJob(unsigned seed) : image(0x10000) {
        ::unsetenv("SCRIBA8_TRACE");
        sim::virtualProgrammer().reset();
        sim::virtualProgrammer().environmentApplied = true;
        setBackendOverride(&sim::virtualBackend());
        std::mt19937 random(seed);
        for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
        std::uint32_t sum = 0;
        for (std::uint8_t byte : image) sum += byte;
        ctx.partIndex = chipWith64KiB();
        ctx.status = &status;
        ctx.flashData = image.data();
        ctx.flashLength = static_cast<std::uint32_t>(image.size());
        ctx.flashChecksum = static_cast<std::uint16_t>(sum);
    }
    FullChipJob(const FullChipJob&) = delete;
    FullChipJob& operator=(const FullChipJob&) = delete;
    ~FullChipJob() { setBackendOverride(nullptr); }
};

void ProgramAndVerify64KiB(benchmark::State& state) {
    ::unsetenv("SCRIBA8_VIRTUAL_PACE");
    FullChipJob job(1);
    ContextRecord& ctx = job.ctx;
    if (ctx.partIndex < 0) {
        state.SkipWithError("no 64 KiB chip in the table");
        return;
    }

    const double cpuStart = threadCpuSeconds();
    for (auto _ : state) {
        // Programming only clears bits: start every round from a blank chip.
        sim::virtualProgrammer().socket().reset();
        if (program(&ctx) != S8_PASS || verify(&ctx) != S8_PASS) {
            state.SkipWithError("Program or Verify failed");
            break;
        }
    }
    const double cpuPerRound = (threadCpuSeconds() - cpuStart) / static_cast<double>(state.iterations());
    // Both transfers together against one second of link time, in percent.
    state.counters["link_share_pct"] = 100.0 * cpuPerRound / kLinkSecondsPer64KiB;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * 0x10000);
}
BENCHMARK(ProgramAndVerify64KiB)->Unit(benchmark::kMillisecond);

// The host's share at real pace: the wall time of Program plus Verify of a
// full 64 KiB chip beyond the device time the model charged for them.
void RealPaceOverhead(benchmark::State& state) {
    FullChipJob job(2);
    ContextRecord& ctx = job.ctx;
    sim::VirtualProgrammer& device = sim::virtualProgrammer();
    if (ctx.partIndex < 0) {
        state.SkipWithError("no 64 KiB chip in the table");
        return;
    }
    device.setRealPace(true);
    double wallSeconds = 0;
    double chargedSeconds = 0;
    for (auto _ : state) {
        device.socket().reset();
        const std::uint64_t chargedBefore = device.chargedMs();
        const auto start = std::chrono::steady_clock::now();
        if (program(&ctx) != S8_PASS || verify(&ctx) != S8_PASS) {
            state.SkipWithError("Program or Verify failed");
            break;
        }
        wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        chargedSeconds += static_cast<double>(device.chargedMs() - chargedBefore) / 1000.0;
    }
    device.setRealPace(false);
    state.counters["device_s"] = chargedSeconds / static_cast<double>(state.iterations());
    state.counters["host_overhead_pct"] =
        chargedSeconds > 0 ? 100.0 * (wallSeconds - chargedSeconds) / chargedSeconds : 0.0;
}
BENCHMARK(RealPaceOverhead)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
