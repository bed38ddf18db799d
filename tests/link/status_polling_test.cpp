// SPDX-License-Identifier: MIT
// An export on a worker thread while another thread polls the status word,
// as the application does during long transfers.
#include "link_fixture.h"

#include "export_impl.h"
#include "frame.h"
#include "link/command.h"
#include "status_poller.h"

namespace scriba8::testing {
namespace {

class StatusPollingTest : public LinkTest {};

TEST_F(StatusPollingTest, PollerSeesStartProgressThenTheFinalCode) {
    const ChipRecord& chip = *chipAt(ctx_.partIndex);
    std::vector<std::uint8_t> image(chip.flashSize, 0x5A);

    status_ = 0;
    std::int32_t result = 0;
    const std::vector<std::uint16_t> seen = PollWhileRunning(status_, [&] {
        result = RunDeviceExport(ctx_, {}, [&](DeviceSession& session) -> std::int32_t {
            CommandBlock command = MakeCommand(kWriteFlashCommand);
            PutU32(command, 8, static_cast<std::uint32_t>(image.size()));
            PutU16(command, 12, Checksum16(image));
            if (!SendCommand(command)) return S8_SEND_ERROR;
            if (SendBlock(image, &session.status(), kCommandChunk) != image.size()) return S8_SEND_ERROR;
            const StatusReply reply = ReadStatus(TagOf(command), 5000);
            return reply.is(0) ? S8_PASS : S8_FAIL;
        });
    });

    EXPECT_EQ(result, S8_PASS);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), S8_PASS);
    // Never backwards, never a code before the end.
    for (std::size_t i = 1; i + 1 < seen.size(); ++i) {
        EXPECT_LE(seen[i], 100);
        EXPECT_LT(seen[i - 1], seen[i]);
    }
    EXPECT_EQ(device().socket()->flash, image);
}

TEST_F(StatusPollingTest, CheckIdOnAWorkerThread) {
    status_ = 0;
    std::thread worker([&] { checkId(&ctx_); });
    while (loadStatus(&status_) <= S8_PROGRESS_MAX) std::this_thread::yield();
    worker.join();
    EXPECT_EQ(status_, S8_PASS);
}

} // namespace
} // namespace scriba8::testing
