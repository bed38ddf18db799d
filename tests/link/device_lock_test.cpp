// SPDX-License-Identifier: MIT
// The per-programmer lock as the listing uses it: never waiting.
#include "link/device_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace scriba8 {
namespace {

TEST(DeviceLock, WithoutWaitingAHeldLockIsBusyAndAFreeOneIsTaken) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("scriba8_lock_test_" + std::to_string(::getpid()));
    auto holder = DeviceLock::acquire(path.string(), true);
    ASSERT_NE(holder, nullptr);

    // flock conflicts between separate opens, in one process as in two.
    DeviceLock::Attempt held = DeviceLock::acquire(path.string(), false, LockWait::dontWait);
    EXPECT_TRUE(held.busy);
    EXPECT_EQ(held.lock, nullptr);

    holder.reset();
    DeviceLock::Attempt free = DeviceLock::acquire(path.string(), false, LockWait::dontWait);
    EXPECT_FALSE(free.busy);
    EXPECT_NE(free.lock, nullptr);

    // A node that cannot be opened is used without a lock, and is not busy.
    DeviceLock::Attempt missing =
        DeviceLock::acquire((path / "missing").string(), false, LockWait::dontWait);
    EXPECT_FALSE(missing.busy);
    EXPECT_EQ(missing.lock, nullptr);
    free = {};
    std::filesystem::remove(path);
}

} // namespace
} // namespace scriba8
