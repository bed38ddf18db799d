// SPDX-License-Identifier: MIT
// Chips per hour of a production run at real pace, a 16 KiB image on 1, 2,
// 4 and 8 virtual programmers, and how that scales against one: the virtual
// programmers take the hardware's time, so the host should not be the limit.
#include "chip_selection.h"
#include "production_run.h"
#include "temp_folder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

using namespace scriba8::app;

constexpr std::uint64_t kChipsEach = 3;
double chipsPerHourOnOne = 0;

void ChipsPerHour(benchmark::State& state) {
    const auto programmers = static_cast<std::size_t>(state.range(0));
    const std::filesystem::path folder = scriba8::test::MakeTempFolder("scriba8-production-bench");
    ::setenv("SCRIBA8_VIRTUAL_PACE", "real", 1);
    ::setenv("SCRIBA8_VIRTUAL_SOCKET", "looks=1,empty=1", 1);
    ::unsetenv("SCRIBA8_VIRTUAL_STATE");
    ::unsetenv("SCRIBA8_TRACE");

    const LibraryApi& api = DeviceLibrary();
    auto record = std::make_shared<ContextRecord>();
    std::uint16_t status = 0;
    record->status = &status;
    CodeBuffers buffers;
    const BodyInfo* rows = nullptr;
    const std::int32_t count = api.GetBodyInfo(&rows);
    for (std::int32_t i = 0; i < count; ++i)
        if (std::string_view(rows[i].partName) == "VS8G132") SelectChip(api, *record, buffers, i);
    record->autoProcess = S8_STEP_ERASE | S8_STEP_PROGRAM | S8_STEP_VERIFY | S8_STEP_WRITE_OPTIONS;

    ProductionJob job;
    job.record = record;
    job.flash.resize(16 * 1024);
    std::mt19937 random(7);
    for (auto& byte : job.flash) byte = static_cast<std::uint8_t>(random());
    job.part = "VS8G132";
    ProductionSettings settings;
    settings.count = kChipsEach * programmers;
    settings.continuous = true;
    settings.pollInterval = std::chrono::milliseconds(5);
    std::vector<ProgrammerChoice> choices;
    for (std::size_t k = 0; k < programmers; ++k) {
        const std::string path = (folder / ("p" + std::to_string(k) + ".state")).string();
        choices.push_back({"virtual:" + path, path, "virtual"});
    }

    double seconds = 0;
    std::uint64_t good = 0;
    for (auto _ : state) {
        ProductionRun run(api, job, settings, nullptr, nullptr, nullptr);
        const auto start = std::chrono::steady_clock::now();
        const ProductionOutcome outcome = run.run(choices, {});
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        good += outcome.good;
        if (outcome.failed != 0) state.SkipWithError("a chip failed");
    }
    const double perHour = static_cast<double>(good) / seconds * 3600.0;
    if (programmers == 1) chipsPerHourOnOne = perHour;
    state.counters["chips_per_hour"] = perHour;
    if (chipsPerHourOnOne > 0) state.counters["scaling"] = perHour / chipsPerHourOnOne;
    std::filesystem::remove_all(folder);
}

BENCHMARK(ChipsPerHour)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
