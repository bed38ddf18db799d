// SPDX-License-Identifier: MIT
// The one writer every file goes through, and reading that never blocks:
// what POSIX systems have of their own (modes, links, devices, pipes,
// limits, users).
#include "files/atomic_file.h"
#include "files/file_reading.h"
#include "file_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace scriba8::files {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using AtomicFile = FileFixture;

TEST_F(AtomicFile, ReplacesAFileKeepingItsPermissions) {
    put(path("a.bin"), old_);
    ::chmod(path("a.bin").c_str(), 0640);
    ASSERT_EQ(writeFileAtomically(path("a.bin"), new_), 0);
    EXPECT_EQ(read(path("a.bin")), new_);
    struct stat info {};
    ASSERT_EQ(::stat(path("a.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ASSERT_EQ(writeFileAtomically(path("new.bin"), new_), 0);
    expectOnly({"a.bin", "new.bin"});
}

TEST_F(AtomicFile, LinksAreWrittenThroughAndStayLinks) {
    fs::create_directory(dir_ / "real");
    put(path("real/target.bin"), old_);
    fs::create_symlink("real/target.bin", dir_ / "link.bin");
    fs::create_symlink(dir_ / "real" / "later.bin", dir_ / "dangling.bin");
    ASSERT_EQ(writeFileAtomically(path("link.bin"), new_), 0);
    ASSERT_EQ(writeFileAtomically(path("dangling.bin"), new_), 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.bin"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.bin"));
    EXPECT_EQ(read(path("real/target.bin")), new_);
    EXPECT_EQ(read(path("real/later.bin")), new_);
    expectOnly({"dangling.bin", "link.bin", "real"});
}

TEST_F(AtomicFile, DevicesAndPipesAreWrittenDirectly) {
    ASSERT_EQ(writeFileAtomically("/dev/null", new_), 0);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(writeFileAtomically("/dev/full", new_), ENOSPC);

    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    const int reader = ::open(path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(writeFileAtomically(path("pipe"), new_), 0);
    Bytes got(8);
    EXPECT_EQ(::read(reader, got.data(), got.size()), 3);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
    expectOnly({"pipe"});
}

// Every failure names its reason and leaves the target and the folder as they were.
TEST_F(AtomicFile, FailuresKeepTheOldFileAndLeaveNothingBehind) {
    put(path("a.bin"), old_);
    fs::create_directory(dir_ / "folder");
    EXPECT_EQ(writeFileAtomically(path("missing/a.bin"), new_), ENOENT);
    EXPECT_EQ(writeFileAtomically(path("folder"), new_), EISDIR);
    EXPECT_EQ(writeFileAtomically(path(std::string(NAME_MAX + 1, 'n')), new_), ENAMETOOLONG);
    EXPECT_EQ(writeFileAtomically(path("a.bin/x"), new_), ENOTDIR);
    EXPECT_EQ(writeFileAtomically("", new_), ENOENT);

    // Past the file size limit: without the writer's care SIGXFSZ would end
    // the process here.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int error = writeFileAtomically(path("a.bin"), Bytes(1000, 0x22));
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(error, EFBIG);

    EXPECT_EQ(read(path("a.bin")), old_);
    expectOnly({"a.bin", "folder"});
}

// Root may write anything, so the refusal is checked as an ordinary user.
TEST_F(AtomicFile, AReadOnlyFileIsRefusedAndLeftAlone) {
    put(path("locked.vlx"), old_);
    ::chmod(path("locked.vlx").c_str(), 0444);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
        const int error = writeFileAtomically(path("locked.vlx"), new_);
        const int problem = writeProblem(path("locked.vlx"));
        ::_exit(error == EACCES && problem == EACCES ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read(path("locked.vlx")), old_);
    expectOnly({"locked.vlx"});
}

TEST_F(AtomicFile, ProblemsAreFoundBeforeWriting) {
    put(path("a.bin"), old_);
    EXPECT_EQ(writeProblem(path("a.bin")), 0);
    EXPECT_EQ(writeProblem(path("new.bin")), 0);
    EXPECT_EQ(writeProblem(kStandardOutput), 0);
    EXPECT_EQ(writeProblem(path("missing/a.bin")), ENOENT);
    EXPECT_EQ(writeProblem(dir_.string()), EISDIR);
    EXPECT_EQ(writeProblem(path(std::string(NAME_MAX + 1, 'n'))), ENAMETOOLONG);
}

TEST_F(AtomicFile, SameFileSeesThroughLinksAndSpellings) {
    put(path("a.hex"), old_);
    put(path("b.hex"), old_);
    fs::create_symlink("a.hex", dir_ / "link.hex");
    EXPECT_TRUE(sameFile(path("a.hex"), path("link.hex")));
    EXPECT_TRUE(sameFile(path("a.hex"), (dir_ / "." / "a.hex").string()));
    EXPECT_FALSE(sameFile(path("a.hex"), path("b.hex")));
    EXPECT_FALSE(sameFile(path("a.hex"), path("missing.hex")));
    EXPECT_FALSE(sameFile(kStandardOutput, kStandardOutput));
}

TEST_F(AtomicFile, ReadingTakesRegularFilesOnlyAndNeverWaits) {
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    EXPECT_EQ(readWholeFile(path("pipe"), 100).error, kNotRegularFile);
    EXPECT_EQ(readWholeFile(dir_.string(), 100).error, kNotRegularFile);
    EXPECT_EQ(readWholeFile("/dev/zero", 100).error, kNotRegularFile);
    EXPECT_EQ(readWholeFile(path("missing"), 100).error, ENOENT);
    put(path("a.bin"), old_);
    EXPECT_EQ(readWholeFile(path("a.bin"), 99).error, EFBIG);
    const WholeFile whole = readWholeFile(path("a.bin"), 100);
    EXPECT_EQ(whole.error, 0);
    EXPECT_EQ(whole.bytes, old_);
}

} // namespace
} // namespace scriba8::files
