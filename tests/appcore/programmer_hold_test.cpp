// SPDX-License-Identifier: MIT
// The window's Auto sequence and a scriba8 run in another process on one
// programmer: each holds it for its whole job, so neither lands between the
// other's erase and verify.
#include "auto_sequence.h"
#include "chip_selection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace scriba8::app {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

class HoldAcrossProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("scriba8-hold-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        ::setenv("SCRIBA8_PROGRAMMER", "virtual", 1);
        ::setenv("SCRIBA8_VIRTUAL_STATE", (dir_ / "programmer.state").c_str(), 1);
        ::setenv("SCRIBA8_VIRTUAL_PACE", "real", 1);
    }
    void TearDown() override {
        ::unsetenv("SCRIBA8_PROGRAMMER");
        ::unsetenv("SCRIBA8_VIRTUAL_STATE");
        ::unsetenv("SCRIBA8_VIRTUAL_PACE");
        fs::remove_all(dir_);
    }

    pid_t startScriba8Program(const fs::path& image) {
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string log = (dir_ / "scriba8.log").string();
            std::freopen(log.c_str(), "w", stdout);
            std::freopen(log.c_str(), "a", stderr);
            ::execl(SCRIBA8_PROGRAM, SCRIBA8_PROGRAM, "--part", "VS8G132", "--no-progress",
                    "program", image.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return child;
    }

    fs::path dir_;
};

TEST_F(HoldAcrossProcesses, AnAutoSequenceAndAnotherProcessesProgramDoNotInterleave) {
    const LibraryApi& api = DeviceLibrary();
    const std::vector<std::uint8_t> theirs = RandomBytes(4096, 1);
    const std::vector<std::uint8_t> ours = RandomBytes(4096, 2);
    const fs::path theirFile = dir_ / "theirs.bin";
    std::ofstream(theirFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(theirs.data()), static_cast<std::streamsize>(theirs.size()));

    std::uint16_t status = 0;
    auto record = std::make_unique<ContextRecord>();
    record->status = &status;
    record->partIndex = -1;
    CodeBuffers buffers;
    const BodyInfo* rows = nullptr;
    const std::int32_t count = api.GetBodyInfo(&rows);
    std::int32_t row = -1;
    for (std::int32_t i = 0; i < count; ++i)
        if (std::string_view(rows[i].partName) == "VS8G132") row = i;
    ASSERT_GE(row, 0);
    ASSERT_TRUE(SelectChip(api, *record, buffers, row));
    buffers.flash = ours;
    record->autoProcess = S8_STEP_ERASE | S8_STEP_PROGRAM | S8_STEP_VERIFY;

    // The other run starts between the sequence's erase and its program,
    // and has half a second to get in.
    pid_t other = -1;
    int asked = 0;
    const auto betweenSteps = [&] {
        if (++asked == 2) {
            other = startScriba8Program(theirFile);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        return false;
    };
    OperationLog log(Language::english);
    DeviceRunner runner(api, *record, log);
    const AutoRunResult sequence = RunAutoSequence(runner, buffers, betweenSteps);
    ASSERT_GT(other, 0);
    int exitStatus = -1;
    ::waitpid(other, &exitStatus, 0);

    std::ifstream otherLog(dir_ / "scriba8.log");
    const std::string otherText((std::istreambuf_iterator<char>(otherLog)), {});
    EXPECT_TRUE(WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0) << otherText;
    EXPECT_TRUE(sequence.passed()) << log.text();
    ASSERT_EQ(sequence.steps.size(), 3u);

    // The other run waited for the whole sequence: the chip holds its image.
    const CommandOutcome dump = runner.run(DeviceCommand::dumpTarget, buffers);
    ASSERT_EQ(dump.result, S8_PASS);
    ASSERT_TRUE(dump.dump);
    EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), dump.dump->flash.begin()));
}

} // namespace
} // namespace scriba8::app
