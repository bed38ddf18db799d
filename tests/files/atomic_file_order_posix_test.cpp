// SPDX-License-Identifier: MIT
// What the writer asks of the system, in order: a crash or power cut at any
// moment must leave the old file or the whole new one, never an empty file
// under the target's name. The test executable is linked with
// --wrap=fsync,--wrap=rename, so the calls the writer makes come here first.
#include "file_fixture.h"
#include "files/atomic_file.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> calls;
bool recording = false;

std::string pathOf(int fd) {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    return error ? "fd " + std::to_string(fd) : path.string();
}

} // namespace

extern "C" {
int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);

int __wrap_fsync(int fd) {
    if (recording) calls.push_back("fsync " + pathOf(fd));
    return __real_fsync(fd);
}

int __wrap_rename(const char* from, const char* to) {
    if (recording) calls.push_back(std::string("rename ") + from + " -> " + to);
    return __real_rename(from, to);
}
}

namespace scriba8::files {
namespace {

namespace fs = std::filesystem;

class AtomicFileOrder : public FileFixture {
protected:
    void TearDown() override {
        recording = false;
        FileFixture::TearDown();
    }

    // The calls one write makes.
    std::vector<std::string> record(const fs::path& target, int expected = 0) {
        calls.clear();
        recording = true;
        EXPECT_EQ(writeFileAtomically(target.string(), new_), expected) << target;
        recording = false;
        return calls;
    }
};

// The temporary file is on disk before it takes the target's name, and the
// folder holding the new name is on disk after the rename: a new file, a
// file replaced, and a file written through a link in another folder.
TEST_F(AtomicFileOrder, SyncsTheDataBeforeTheRenameAndTheFolderAfterIt) {
    const fs::path dir = fs::canonical(dir_); // as /proc names the open files
    fs::create_directory(dir / "real");
    put(path("old.bin"), old_);
    fs::create_symlink("real/target.bin", dir / "link.bin");
    const struct {
        const char* name;
        fs::path target;
    } cases[] = {
        {"new.bin", dir / "new.bin"},
        {"old.bin", dir / "old.bin"},
        {"link.bin", dir / "real" / "target.bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> got = record(dir / c.name);
        ASSERT_EQ(got.size(), 3u) << ::testing::PrintToString(got);
        const std::string suffix = " -> " + c.target.string();
        ASSERT_TRUE(got[1].starts_with("rename ") && got[1].ends_with(suffix)) << got[1];
        const std::string temporary = got[1].substr(7, got[1].size() - 7 - suffix.size());
        EXPECT_EQ(fs::path(temporary).parent_path(), c.target.parent_path());
        EXPECT_EQ(got[0], "fsync " + temporary);
        EXPECT_EQ(got[2], "fsync " + c.target.parent_path().string());
        EXPECT_EQ(read(c.target.string()), new_);
    }
}

// The longest name the system allows is written; one more byte is refused
// with the system's own reason and leaves nothing behind.
TEST_F(AtomicFileOrder, TheLongestNameIsWrittenAndOneMoreIsRefused) {
    const long longest = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
    ASSERT_GT(longest, 0);
    const std::string name(static_cast<std::size_t>(longest), 'n');
    record(dir_ / name);
    EXPECT_EQ(read(path(name)), new_);
    EXPECT_EQ(writeProblem(path(name)), 0);

    record(dir_ / (name + "x"), ENAMETOOLONG);
    EXPECT_EQ(writeProblem(path(name + "x")), ENAMETOOLONG);
    expectOnly({name});
}

} // namespace
} // namespace scriba8::files
