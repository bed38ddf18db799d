// SPDX-License-Identifier: MIT
// The per-programmer lock: never waiting for the listing, waiting with a
// limit and a way out for a job, and a job's hold that its own exports
// re-enter while everybody else waits.
#include "link/device_lock.h"
#include "files/lock_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace scriba8 {
namespace {

using namespace std::chrono_literals;

LockWaitOptions upTo(std::chrono::milliseconds limit) {
    LockWaitOptions options;
    options.limit = limit;
    return options;
}

class DeviceLockTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_ = (std::filesystem::temp_directory_path() /
                         ("scriba8_lock_test_" + std::to_string(::getpid())))
                            .string();
};

// Another process holding the lock until told to let go.
class OtherProcess {
public:
    explicit OtherProcess(const std::string& path) {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(release[1]); // or the read below never sees the end
            ::close(ready[0]);
            auto file = LockFile::open(path, true);
            const char state = file && file->tryLock() == LockFile::Attempt::locked ? 'L' : 'F';
            if (::write(ready[1], &state, 1) != 1) ::_exit(2);
            char ignored;
            if (::read(release[0], &ignored, 1) < 0) ::_exit(2);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char state = 0;
        if (::read(ready[0], &state, 1) != 1 || state != 'L') throw std::runtime_error("child");
        ::close(ready[0]);
    }
    ~OtherProcess() { letGo(); }
    void letGo() {
        if (pid_ <= 0) return;
        ::close(release_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
};

TEST_F(DeviceLockTest, WithoutWaitingAHeldLockIsBusyAndAFreeOneIsTaken) {
    auto holder = DeviceLock::acquire(path(), true);
    ASSERT_NE(holder, nullptr);

    // A second use in the same process waits like another process would.
    DeviceLock::Attempt held = DeviceLock::acquire(path(), false, LockWait::dontWait);
    EXPECT_TRUE(held.busy);
    EXPECT_EQ(held.lock, nullptr);

    holder.reset();
    DeviceLock::Attempt free = DeviceLock::acquire(path(), false, LockWait::dontWait);
    EXPECT_FALSE(free.busy);
    EXPECT_NE(free.lock, nullptr);

    // A node that cannot be opened is used without a lock, and is not busy.
    DeviceLock::Attempt missing = DeviceLock::acquire(path() + "/missing", false, LockWait::dontWait);
    EXPECT_FALSE(missing.busy);
    EXPECT_EQ(missing.lock, nullptr);
}

TEST_F(DeviceLockTest, AHoldIsReenteredByTheProcessUntilReleasedAndExcludesOthers) {
    DeviceLock::Attempt job = DeviceLock::hold(path(), true, {});
    ASSERT_NE(job.lock, nullptr);
    EXPECT_TRUE(DeviceLock::isHeld(path()));

    // Its exports, on any thread, get the programmer at once; so does a
    // nested hold.
    std::thread worker([&] {
        DeviceLock::Attempt use = DeviceLock::acquire(path(), true, LockWait::dontWait);
        EXPECT_NE(use.lock, nullptr);
        EXPECT_FALSE(use.busy);
    });
    worker.join();
    DeviceLock::Attempt nested = DeviceLock::hold(path(), true, upTo(0ms));
    EXPECT_NE(nested.lock, nullptr);
    nested = {};
    EXPECT_TRUE(DeviceLock::isHeld(path()));

    // Another process does not, until the hold ends.
    const pid_t child = ::fork();
    if (child == 0) {
        auto file = LockFile::open(path(), true);
        ::_exit(file && file->tryLock() == LockFile::Attempt::busy ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process got the lock";

    job = {};
    EXPECT_FALSE(DeviceLock::isHeld(path()));
    auto file = LockFile::open(path(), true);
    EXPECT_EQ(file->tryLock(), LockFile::Attempt::locked);
}

TEST_F(DeviceLockTest, AWaitForAnotherProcessEndsAtItsLimitOrWhenCancelled) {
    OtherProcess other(path());

    DeviceLock::Attempt limited = DeviceLock::hold(path(), true, upTo(50ms));
    EXPECT_TRUE(limited.busy);
    EXPECT_FALSE(limited.cancelled);
    EXPECT_EQ(limited.lock, nullptr);
    EXPECT_FALSE(DeviceLock::isHeld(path()));

    LockWaitOptions cancelling;
    int asked = 0;
    cancelling.cancelled = [&] { return ++asked == 3; };
    DeviceLock::Attempt cancelled = DeviceLock::hold(path(), true, cancelling);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.lock, nullptr);
    EXPECT_EQ(asked, 3);

    // A wait without limit says once whom it waits for, and ends when the
    // other process lets go.
    LockWaitOptions patient;
    std::atomic<int> told{0};
    std::string toldPath;
    patient.waiting = [&](const std::string& waitedFor) {
        toldPath = waitedFor;
        ++told;
    };
    std::thread releaser([&] {
        while (told.load() == 0) std::this_thread::sleep_for(10ms);
        other.letGo();
    });
    DeviceLock::Attempt waited = DeviceLock::hold(path(), true, patient);
    releaser.join();
    EXPECT_NE(waited.lock, nullptr);
    EXPECT_EQ(told.load(), 1);
    EXPECT_EQ(toldPath, path());
}

} // namespace
} // namespace scriba8
