// SPDX-License-Identifier: MIT
// The settings file where POSIX permissions decide what the program may do.
#include "private_profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace scriba8::app {
namespace {

namespace fs = std::filesystem;

// A settings file the program may write but not read is never rewritten
// from the little it knows: the write fails and the file keeps every line.
// Root reads everything, so the write runs as an ordinary user.
TEST(ProfilePermissions, AFileThatCannotBeReadIsNotRewritten) {
    const fs::path folder = test::MakeTempFolder("scriba8-profile");
    const fs::path path = folder / "Setting.ini";
    const std::string text = "; kept by hand\r\n[Setting]\r\nLastPartNo=7\r\n";
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(folder, fs::perms::all); // an ordinary user may replace files here
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
        if (std::ifstream(path).is_open()) ::_exit(91);
        ::_exit(WriteProfileString(path.string(), "Setting", "Language", "1") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "90: no ordinary user; 91: the file was readable; 1: it was written";

    fs::permissions(path, fs::perms::owner_read, fs::perm_options::add);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

} // namespace
} // namespace scriba8::app
