// SPDX-License-Identifier: MIT
// The lock's Windows part: LockFileEx on a file, and for a HID device path,
// which names no lockable file, a lock file of its own for each device.
#include "link/device_lock.h"
#include "files/lock_file.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace scriba8 {
namespace {

constexpr const char* kDevice =
    "\\\\?\\hid#vid_1234&pid_5678#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
constexpr const char* kSameDeviceOtherCase =
    "\\\\?\\HID#VID_1234&PID_5678#7&1A2B3C&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030}";
constexpr const char* kOtherDevice =
    "\\\\?\\hid#vid_1234&pid_5678#7&9f8e7d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST(WindowsLockFile, TwoOpensOfAFileExcludeEachOtherUntilTheHolderCloses) {
    const std::filesystem::path folder = test::MakeTempFolder("scriba8-lock");
    const std::string path = (folder / "programmer.state.lock").string();
    EXPECT_EQ(LockFile::open(path, false), nullptr); // missing, and not to be made

    auto holder = LockFile::open(path, true);
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(holder->tryLock(), LockFile::Attempt::locked);
    auto other = LockFile::open(path, true);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->tryLock(), LockFile::Attempt::busy);
    holder.reset();
    EXPECT_EQ(other->tryLock(), LockFile::Attempt::locked);
    other.reset();
    std::filesystem::remove_all(folder);
}

TEST(WindowsLockFile, EachDevicePathHasALockOfItsOwnWhateverItsLetterCase) {
    auto holder = LockFile::open(kDevice, false);
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(holder->tryLock(), LockFile::Attempt::locked);

    auto sameDevice = LockFile::open(kSameDeviceOtherCase, false);
    ASSERT_NE(sameDevice, nullptr);
    EXPECT_EQ(sameDevice->tryLock(), LockFile::Attempt::busy);
    auto otherDevice = LockFile::open(kOtherDevice, false);
    ASSERT_NE(otherDevice, nullptr);
    EXPECT_EQ(otherDevice->tryLock(), LockFile::Attempt::locked);

    holder.reset();
    EXPECT_EQ(sameDevice->tryLock(), LockFile::Attempt::locked);
}

TEST(WindowsLockFile, AProgrammerInUseIsBusyForTheListing) {
    auto elsewhere = LockFile::open(kDevice, false); // as another process would hold it
    ASSERT_NE(elsewhere, nullptr);
    ASSERT_EQ(elsewhere->tryLock(), LockFile::Attempt::locked);
    EXPECT_TRUE(DeviceLock::acquire(kDevice, false, LockWait::dontWait).busy);
    elsewhere.reset();
    DeviceLock::Attempt free = DeviceLock::acquire(kDevice, false, LockWait::dontWait);
    EXPECT_FALSE(free.busy);
    EXPECT_NE(free.lock, nullptr);
}

} // namespace
} // namespace scriba8
