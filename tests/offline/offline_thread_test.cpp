// SPDX-License-Identifier: MIT
// The off-line download on a worker thread while the UI thread polls the
// status word, as the off-line command of the application runs it.
#include "offline_fixture.h"
#include "status_poller.h"

namespace scriba8::testing {
namespace {

TEST_F(OffLineTest, PollerSeesProgressThenTheFinalCode) {
    prepare("VS8F132", 32768);
    status_ = 0;
    std::int32_t result = 0;
    const std::vector<std::uint16_t> seen = PollWhileRunning(status_, [&] { result = download(); });

    EXPECT_EQ(result, S8_PASS);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), S8_PASS);
    for (std::size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_LE(seen[i], S8_PROGRESS_MAX);
}

} // namespace
} // namespace scriba8::testing
