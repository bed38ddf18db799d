// The off-line download on a worker thread while the UI thread polls the
// status word, as the off-line command of the application runs it.
#include "offline_fixture.h"

#include <atomic>
#include <thread>

namespace scriba8::testing {
namespace {

TEST_F(OffLineTest, PollerSeesProgressThenTheFinalCode) {
    prepare("VS8F132", 32768);
    status_ = 0;
    std::atomic<bool> done{false};
    std::int32_t result = 0;
    std::thread worker([&] {
        result = download();
        done.store(true, std::memory_order_release);
    });

    std::vector<std::uint16_t> seen;
    for (;;) {
        const bool finished = done.load(std::memory_order_acquire);
        const std::uint16_t value = loadStatus(&status_);
        if (seen.empty() || seen.back() != value) seen.push_back(value);
        if (finished) break;
    }
    worker.join();

    EXPECT_EQ(result, S8_PASS);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), S8_PASS);
    for (std::size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_LE(seen[i], S8_PROGRESS_MAX);
}

} // namespace
} // namespace scriba8::testing
