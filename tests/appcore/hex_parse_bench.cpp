// SPDX-License-Identifier: MIT
// HEX parsing speed: our parser against srec_cat and python intelhex on the
// same multi-megabyte file, with the ratios printed at the end.
//
//   hex-parse-bench [--image-kib=N] [benchmark flags]
#include "file_paths.h"
#include "hex_text.h"
#include "intel_hex.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using scriba8::app::ParseIntelHex;

struct Workload {
    std::string text;
    fs::path dir;
    fs::path file;
    std::string python;
};
Workload* gWork = nullptr;

// What compilers and linkers write: 16 data bytes a line, a linear address
// record at each 64 KiB boundary.
std::string CompilerStyleHex(std::size_t imageSize) {
    std::string text;
    text.reserve(imageSize / 16 * 45 + 64);
    std::uint32_t state = 12345;
    std::vector<std::uint8_t> data(16);
    for (std::size_t address = 0; address < imageSize; address += 16) {
        if (address % 0x10000 == 0)
            text += scriba8::test::LinearRecord(static_cast<std::uint16_t>(address >> 16));
        for (auto& byte : data) {
            state = state * 1103515245u + 12345u;
            byte = static_cast<std::uint8_t>(state >> 16);
        }
        text += scriba8::test::DataRecord(static_cast<std::uint16_t>(address), data);
    }
    return text + scriba8::test::EndRecord();
}

bool Succeeds(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

void OurParser(benchmark::State& state) {
    for (auto _ : state) {
        auto result = ParseIntelHex(gWork->text, 1ull << 32);
        benchmark::DoNotOptimize(result.image.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gWork->text.size()));
}

// Including reading the file, as the other tools do.
void OurParserFromFile(benchmark::State& state) {
    for (auto _ : state) {
        auto bytes = scriba8::app::ReadWholeFile(gWork->file.string());
        if (!bytes) {
            state.SkipWithError("cannot read the HEX file");
            break;
        }
        auto result = ParseIntelHex(
            {reinterpret_cast<const char*>(bytes->data()), bytes->size()}, 1ull << 32);
        benchmark::DoNotOptimize(result.image.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gWork->text.size()));
}

void SrecCat(benchmark::State& state) {
    const std::string command = "srec_cat '" + gWork->file.string() + "' -intel -o '" +
                                (gWork->dir / "srec.bin").string() + "' -binary";
    if (!Succeeds("srec_cat -version")) {
        state.SkipWithError("srec_cat is not installed");
        return;
    }
    for (auto _ : state)
        if (!Succeeds(command)) state.SkipWithError("srec_cat failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gWork->text.size()));
}

// Timed inside python, so the interpreter's start-up does not count.
void PythonIntelHex(benchmark::State& state) {
    if (gWork->python.empty()) {
        state.SkipWithError("python intelhex is not installed");
        return;
    }
    const fs::path timing = gWork->dir / "python.time";
    const std::string command =
        gWork->python +
        " -c \"import sys, time; from intelhex import IntelHex; t = time.perf_counter(); "
        "IntelHex(sys.argv[1]); open(sys.argv[2], 'w').write(repr(time.perf_counter() - t))\" '" +
        gWork->file.string() + "' '" + timing.string() + "'";
    for (auto _ : state) {
        if (!Succeeds(command)) {
            state.SkipWithError("python intelhex failed");
            break;
        }
        std::ifstream in(timing);
        double seconds = 0;
        in >> seconds;
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gWork->text.size()));
}

BENCHMARK(OurParser)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OurParserFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SrecCat)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PythonIntelHex)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// Remembers each benchmark's throughput for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto rate = run.counters.find("bytes_per_second");
            if (!run.error_occurred && rate != run.counters.end())
                rates[run.run_name.function_name] = rate->second.value;
        }
    }
    std::map<std::string, double> rates;
};

std::string ExtractImageKib(int& argc, char** argv, std::size_t& kib) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--image-kib=", 12) == 0)
            kib = std::strtoull(argv[i] + 12, nullptr, 10);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return {};
}

} // namespace

int main(int argc, char** argv) {
    std::size_t imageKib = 4096;
    ExtractImageKib(argc, argv, imageKib);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Workload work;
    work.text = CompilerStyleHex(imageKib * 1024);
    work.dir = fs::temp_directory_path() / ("scriba8-hexbench-" + std::to_string(::getpid()));
    fs::create_directories(work.dir);
    work.file = work.dir / "image.hex";
    std::ofstream(work.file, std::ios::binary) << work.text;
    for (const char* python : {"/usr/bin/python3", "python3"})
        if (Succeeds(std::string(python) + " -c 'import intelhex'")) {
            work.python = python;
            break;
        }
    gWork = &work;

    std::printf("HEX file: %.1f MiB of text for a %zu KiB image\n",
                static_cast<double>(work.text.size()) / (1 << 20), imageKib);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    fs::remove_all(work.dir);

    const double ours = reporter.rates["OurParser"];
    if (ours > 0) {
        std::printf("\nOur parser: %.0f MiB/s\n", ours / (1 << 20));
        for (const char* other : {"SrecCat", "PythonIntelHex"}) {
            const double rate = reporter.rates[other];
            if (rate > 0)
                std::printf("  %-15s %8.1f MiB/s   ours is %.1fx faster\n", other,
                            rate / (1 << 20), ours / rate);
        }
    }
    return 0;
}
