// SPDX-License-Identifier: MIT
// The one writer every file goes through, and reading that never blocks, on
// Windows: attributes, read-only files, devices, sharing and UTF-8 names.
#include "file_fixture.h"
#include "files/atomic_file.h"
#include "files/file_reading.h"
#include "files/windows_text.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <windows.h>

namespace scriba8::files {
namespace {

using AtomicFile = FileFixture;

DWORD attributesOf(const std::string& path) {
    return ::GetFileAttributesW(wideFromUtf8(path).c_str());
}

void setAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(wideFromUtf8(path).c_str(), attributes));
}

TEST_F(AtomicFile, ReplacesAFileKeepingItsAttributes) {
    put(path("a.bin"), old_);
    setAttributes(path("a.bin"), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(writeFileAtomically(path("a.bin"), new_), 0);
    EXPECT_EQ(read(path("a.bin")), new_);
    EXPECT_NE(attributesOf(path("a.bin")) & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_EQ(writeFileAtomically(path("new.bin"), new_), 0);
    EXPECT_EQ(read(path("new.bin")), new_);
    expectOnly({"a.bin", "new.bin"});
}

TEST_F(AtomicFile, AReadOnlyFileIsRefusedAndLeftAlone) {
    put(path("locked.vlx"), old_);
    setAttributes(path("locked.vlx"), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(writeFileAtomically(path("locked.vlx"), new_), EACCES);
    EXPECT_EQ(writeProblem(path("locked.vlx")), EACCES);
    EXPECT_EQ(read(path("locked.vlx")), old_);
    expectOnly({"locked.vlx"});
    setAttributes(path("locked.vlx"), FILE_ATTRIBUTE_NORMAL);
}

// Every failure names its reason and leaves the target and the folder as they were.
TEST_F(AtomicFile, FailuresKeepTheOldFileAndLeaveNothingBehind) {
    put(path("a.bin"), old_);
    std::filesystem::create_directory(dir_ / "folder");
    EXPECT_EQ(writeFileAtomically(path("missing/a.bin"), new_), ENOENT);
    EXPECT_EQ(writeFileAtomically(path("folder"), new_), EISDIR);
    EXPECT_EQ(writeFileAtomically("", new_), ENOENT);

    // Another program has the file open and lets nobody replace it.
    const HANDLE holder = ::CreateFileW(wideFromUtf8(path("a.bin")).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writeFileAtomically(path("a.bin"), Bytes(1000, 0x22)), EACCES);
    ::CloseHandle(holder);

    EXPECT_EQ(read(path("a.bin")), old_);
    expectOnly({"a.bin", "folder"});
}

TEST_F(AtomicFile, DevicesAreWrittenDirectly) {
    EXPECT_EQ(writeFileAtomically("NUL", new_), 0);
    EXPECT_EQ(writeFileAtomically("\\\\.\\NUL", new_), 0);
    expectOnly({});
}

TEST_F(AtomicFile, ProblemsAreFoundBeforeWriting) {
    put(path("a.bin"), old_);
    EXPECT_EQ(writeProblem(path("a.bin")), 0);
    EXPECT_EQ(writeProblem(path("new.bin")), 0);
    EXPECT_EQ(writeProblem(kStandardOutput), 0);
    EXPECT_EQ(writeProblem(path("missing/a.bin")), ENOENT);
    EXPECT_EQ(writeProblem(dir_.string()), EISDIR);
    EXPECT_EQ(writeProblem(path("a.bin/x")), ENOTDIR);
    EXPECT_EQ(writeProblem(path(std::string(300, 'n'))), ENAMETOOLONG);
    expectOnly({"a.bin"}); // the probe for a new file is gone again
}

TEST_F(AtomicFile, SameFileSeesThroughSpellingsAndHardLinks) {
    put(path("a.hex"), old_);
    put(path("b.hex"), old_);
    ASSERT_TRUE(::CreateHardLinkW(wideFromUtf8(path("link.hex")).c_str(),
                                  wideFromUtf8(path("a.hex")).c_str(), nullptr));
    EXPECT_TRUE(sameFile(path("a.hex"), path("link.hex")));
    EXPECT_TRUE(sameFile(path("a.hex"), (dir_ / "." / "a.hex").string()));
    EXPECT_TRUE(sameFile(path("a.hex"), path("A.HEX")));
    EXPECT_FALSE(sameFile(path("a.hex"), path("b.hex")));
    EXPECT_FALSE(sameFile(path("a.hex"), path("missing.hex")));
    EXPECT_FALSE(sameFile(kStandardOutput, kStandardOutput));
}

TEST_F(AtomicFile, ReadingTakesRegularFilesOnly) {
    EXPECT_EQ(readWholeFile("\\\\.\\NUL", 100).error, kNotRegularFile);
    EXPECT_EQ(readWholeFile(dir_.string(), 100).error, kNotRegularFile);
    EXPECT_EQ(readWholeFile(path("missing"), 100).error, ENOENT);
    put(path("a.bin"), old_);
    EXPECT_EQ(readWholeFile(path("a.bin"), 99).error, EFBIG);
    // Another program writing the file does not keep it from being read.
    const HANDLE writer =
        ::CreateFileW(wideFromUtf8(path("a.bin")).c_str(), GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const WholeFile whole = readWholeFile(path("a.bin"), 100);
    ::CloseHandle(writer);
    EXPECT_EQ(whole.error, 0);
    EXPECT_EQ(whole.bytes, old_);
}

// Names reach the system as UTF-16: none is lost to the ANSI code page.
TEST_F(AtomicFile, Utf8NamesAreTheSystemsNames) {
    const std::string name = "程序 Прошивка.hex";
    const std::string utf8 = dir_.string() + "\\" + name;
    ASSERT_EQ(writeFileAtomically(utf8, new_), 0);
    EXPECT_EQ(readWholeFile(utf8, 100).bytes, new_);
    EXPECT_TRUE(sameFile(utf8, utf8));

    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((dir_ / L"*.hex").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ::FindClose(search);
    EXPECT_EQ(utf8FromWide(found.cFileName), name);
}

} // namespace
} // namespace scriba8::files
