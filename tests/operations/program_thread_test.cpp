// SPDX-License-Identifier: MIT
// Program on a worker thread while the test thread polls the status word the
// way the application does.
#include "operations_fixture.h"
#include "status_poller.h"

namespace scriba8::testing {
namespace {

class ProgramThreadTest : public OperationsTest {};

TEST_F(ProgramThreadTest, ProgressNeverFallsBackAndEndsInTheResult) {
    const ChipRecord& chip = selectChip([](const ChipRecord& c) { return c.flashSize == 65536; });
    std::vector<std::uint8_t> image = randomBytes(chip.flashSize, random_);
    useImage(image);
    status_ = 0;

    const std::vector<std::uint16_t> seen = PollWhileRunning(status_, [&] { program(&ctx_); });

    EXPECT_EQ(seen.back(), S8_PASS);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_LT(seen[i - 1], seen[i]);
        if (i + 1 < seen.size()) {
            EXPECT_LE(seen[i], S8_PROGRESS_MAX);
        }
    }
    EXPECT_EQ(device().socket()->flash, image);
}

} // namespace
} // namespace scriba8::testing
