// SPDX-License-Identifier: MIT
#include "checksums.h"
#include "code_buffers.h"
#include "fake_library.h"
#include "file_loader.h"
#include "file_paths.h"
#include "hex_text.h"
#include "project_loader.h"
#include "special_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace scriba8::app {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::DataRecord;
using test::Fake;

TEST(Checksums, BufferAndChipSums) {
    const std::vector<std::uint8_t> code{1, 2, 3};
    EXPECT_EQ(Checksum16(code), 0x0006);
    EXPECT_EQ(ChipChecksum(code, 0x2000), 0xDD09); // 6 + 0x1FFD * 0xFF
    // Bytes beyond the chip's size do not count.
    EXPECT_EQ(ChipChecksum(std::vector<std::uint8_t>{1, 2, 3, 0x40}, 3), 6);
    EXPECT_EQ(ChipChecksum({}, 0x10000), static_cast<std::uint16_t>(0x10000 * 0xFF));
}

TEST(FilePaths, ExtensionComesFromTheFileName) {
    EXPECT_EQ(ExtensionOf("/work/v1.2/code.hex"), "HEX");
    EXPECT_EQ(ExtensionOf("/work/v1.2/code"), "");
    EXPECT_EQ(ExtensionOf("C:\\proj.d\\Image.Bin"), "BIN");
    EXPECT_EQ(ExtensionOf("archive.tar.vlx"), "VLX");
    EXPECT_EQ(FileNameOf("C:\\a\\b.hex"), "b.hex");
    EXPECT_EQ(FileNameOf("/a/b.hex"), "b.hex");
}

struct MergeCase {
    BufferKind oldKind;
    bool reloading;
    BufferKind newKind;
    bool mixedName;
    bool keepsOld;
};

TEST(CodeBuffers, MergeFollowsTheKindOfTheBuffer) {
    const std::vector<std::uint8_t> old(8, 0x11);
    const std::vector<std::uint8_t> data{0xA0, 0xA1};
    const MergeCase cases[] = {
        {BufferKind::empty, false, BufferKind::singleFile, false, false},
        // A single file's reload is a fresh load: nothing of the old stays.
        {BufferKind::singleFile, true, BufferKind::singleFile, false, false},
        {BufferKind::singleFile, false, BufferKind::mixedFiles, true, true},
        {BufferKind::mixedFiles, true, BufferKind::mixedFiles, true, true},
        {BufferKind::targetDump, false, BufferKind::singleFile, false, false},
        {BufferKind::ispInserted, true, BufferKind::mixedFiles, true, true},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.oldKind));
        MergedBuffer merged = MergeLoadedData(old, c.oldKind, data, 4, c.reloading, "f.hex");
        EXPECT_EQ(merged.kind, c.newKind);
        EXPECT_EQ(merged.displayName, c.mixedName ? "f.hex (Mixed file)" : "f.hex");
        const std::vector<std::uint8_t> expected =
            c.keepsOld ? std::vector<std::uint8_t>{0x11, 0x11, 0x11, 0x11, 0xA0, 0xA1, 0x11, 0x11}
                       : std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xA0, 0xA1};
        EXPECT_EQ(merged.bytes, expected);
    }
    // A merge reaching beyond the old bytes grows the buffer with 0xFF between.
    EXPECT_EQ(MergeLoadedData(std::vector<std::uint8_t>{1}, BufferKind::singleFile, data, 3,
                              false, "g")
                  .bytes,
              (std::vector<std::uint8_t>{1, 0xFF, 0xFF, 0xA0, 0xA1}));
}

TEST(CodeBuffers, FillModesExtendTheFlashToTheChip) {
    const std::vector<std::uint8_t> code = Bytes(16);
    const std::vector<std::uint8_t> ones = ApplyFillMode(code, FillMode::ones, 0x2000);
    ASSERT_EQ(ones.size(), 0x2000u);
    EXPECT_EQ(Checksum16(ones), ChipChecksum(code, 0x2000));
    const std::vector<std::uint8_t> zeros = ApplyFillMode(code, FillMode::zeros, 0x20);
    EXPECT_EQ(zeros, [&] { auto z = code; z.resize(0x20, 0); return z; }());
    EXPECT_EQ(ApplyFillMode(code, FillMode::none, 0x2000), code);
    EXPECT_EQ(ApplyFillMode(Bytes(40), FillMode::ones, 32).size(), 40u); // nothing cut off
}

// The loader against real files and the scripted library.
class FileLoading : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetFake();
        dir_ = fs::temp_directory_path() /
               ("scriba8-load-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        record_->status = &status_;
        record_->partIndex = test::kChipWithEeprom;
        ResetForChip(buffers_, 0x200);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& contents) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path.string();
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        return write(name, std::string(bytes.begin(), bytes.end()));
    }

    LoadOutcome load(const std::string& path, BufferTab tab = BufferTab::flash) {
        LoadRequest request;
        request.tab = tab;
        request.path = path;
        return loader_.load(request);
    }
    LoadOutcome reload(BufferTab tab = BufferTab::flash) {
        LoadRequest request;
        request.tab = tab;
        request.reloading = true;
        return loader_.load(request);
    }

    fs::path dir_;
    std::uint16_t status_ = 0;
    std::unique_ptr<ContextRecord> record_ = std::make_unique<ContextRecord>();
    CodeBuffers buffers_;
    OperationLog log_{Language::english, [] { return 0u; }};
    LibraryApi api_ = test::FakeApi();
    FileLoader loader_{api_, *record_, buffers_, log_};
};

TEST_F(FileLoading, HexFileLandsAtTheLoadOffsetWhateverItsAddress) {
    const std::string path = write("code.hex", DataRecord(0x1000, Bytes(16)) + test::EndRecord());
    LoadOutcome outcome = load(path);
    EXPECT_EQ(outcome.result, S8_PASS);
    EXPECT_EQ(buffers_.flash, Bytes(16));
    EXPECT_EQ(outcome.summary.length, 16u);
    EXPECT_EQ(outcome.displayName, path);
    EXPECT_EQ(buffers_.file[0].kind, BufferKind::singleFile);
    EXPECT_EQ(buffers_.file[0].fileExtension, "HEX");
    EXPECT_STREQ(record_->codeFileName, "code.hex");
    EXPECT_EQ(log_.text(), "000 - Load File =>Pass   [0.000\"]\r\n");
}

TEST_F(FileLoading, SecondFileMergesUnlessTheBufferIsCleared) {
    load(write("a.bin", Bytes(0x20)));
    const std::string second = write("b.bin", std::vector<std::uint8_t>(8, 0xEE));
    LoadRequest request;
    request.path = second;
    request.chooseArea = [](const AreaChoice&) { return AreaChoice{0x10, false, FillMode::none}; };
    LoadOutcome outcome = loader_.load(request);
    EXPECT_EQ(outcome.displayName, second + " (Mixed file)");
    EXPECT_EQ(buffers_.flash.size(), 0x20u);
    EXPECT_EQ(buffers_.flash[0x0F], 0x0F);
    EXPECT_EQ(buffers_.flash[0x10], 0xEE);
    EXPECT_EQ(buffers_.file[0].kind, BufferKind::mixedFiles);

    request.chooseArea = [](const AreaChoice&) { return AreaChoice{0, true, FillMode::ones}; };
    outcome = loader_.load(request);
    EXPECT_EQ(outcome.displayName, second);
    EXPECT_EQ(buffers_.file[0].kind, BufferKind::singleFile);
    EXPECT_EQ(buffers_.flash.size(), 0x2000u); // filled to the chip
    EXPECT_EQ(outcome.summary.bufferChecksum, outcome.summary.chipChecksum);
}

TEST_F(FileLoading, FailuresChangeNothingButTheLog) {
    load(write("a.bin", Bytes(4)));
    const std::vector<std::uint8_t> before = buffers_.flash;
    const BufferFileRecord recordBefore = buffers_.file[0];

    EXPECT_EQ(load((dir_ / "missing.hex").string()).result, S8_FILE_ERROR);
    EXPECT_EQ(load(write("big.bin", std::vector<std::uint8_t>(0x2001))).result,
              S8_FILE_TOO_LARGE);
    EXPECT_EQ(load(write("big.hex", DataRecord(0, Bytes(1)) + DataRecord(0x2000, Bytes(1)) +
                                        test::EndRecord()))
                  .result,
              S8_FILE_TOO_LARGE);
    LoadRequest cancelled;
    cancelled.path = write("c.bin", Bytes(2));
    cancelled.chooseArea = [](const AreaChoice&) { return std::optional<AreaChoice>(); };
    EXPECT_EQ(loader_.load(cancelled).result, S8_CANCELLED);

    EXPECT_EQ(buffers_.flash, before);
    EXPECT_EQ(buffers_.file[0].filePath, recordBefore.filePath);
    EXPECT_EQ(buffers_.file[0].kind, recordBefore.kind);
    EXPECT_EQ(log_.text(), "000 - Load File =>Pass   [0.000\"]\r\n"
                           "001 - Load File =>Open file error (" + (dir_ / "missing.hex").string() +
                               ": no such file or folder)   [0.000\"]\r\n"
                           "002 - Load File =>File is too large ! (" + (dir_ / "big.bin").string() +
                               ": highest address 0x2000; 8193 bytes from 0x0 do not fit in the "
                               "8192-byte buffer)   [0.000\"]\r\n"
                           "003 - Load File =>File is too large ! (" + (dir_ / "big.hex").string() +
                               ": highest address 0x2000; 8193 bytes from 0x0 do not fit in the "
                               "8192-byte buffer)   [0.000\"]\r\n"
                           "004 - Load File =>Cancel   [0.000\"]\r\n");
}

// Nothing of a damaged file is loaded: a part of it would be programmed as
// if it were all.
TEST_F(FileLoading, DamagedOrEmptyFilesAreRefusedWithTheirReason) {
    load(write("a.bin", Bytes(4)));
    const std::vector<std::uint8_t> before = buffers_.flash;
    const BufferFileRecord recordBefore = buffers_.file[0];
    std::strcpy(record_->codeFileName, "a.bin");

    std::string bad = DataRecord(0x10, Bytes(16));
    bad[bad.size() - 3] ^= 1;
    struct Case {
        std::string name;
        std::string contents;
        std::string reason; // behind the file's path
    };
    const Case cases[] = {
        {"bad.hex", DataRecord(0, Bytes(16)) + bad + test::EndRecord(), ": line 2: checksum error"},
        {"short.ihx", DataRecord(0, Bytes(16)), ": no end-of-file record"},
        {"none.ihex", test::EndRecord(), ": no data records"},
        {"empty.bin", "", ": the file is empty"},
        {"empty.hex", "", ": the file is empty"},
        // A record whose ':' was lost, and two files joined with cat.
        {"colon.hex", DataRecord(0, Bytes(16)) + DataRecord(0x10, Bytes(16)).substr(1) +
                          test::EndRecord(),
         ": line 2: not an Intel HEX record (a record line starts with ':')"},
        {"joined.hex", DataRecord(0, Bytes(16)) + test::EndRecord() + DataRecord(0x10, Bytes(16)) +
                           test::EndRecord(),
         ": line 3: more after the end-of-file record (two files joined into one?)"},
        // Not "nul.hex": on Windows that names the NUL device in any folder.
        {"nul-byte.hex", DataRecord(0, Bytes(16)) + std::string(1, '\0') + test::EndRecord(),
         ": line 2: NUL byte: this is not a text file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.name, c.contents);
        const LoadOutcome outcome = load(path);
        EXPECT_EQ(outcome.result, S8_FILE_ERROR);
        EXPECT_EQ(outcome.reason, path + c.reason);
        EXPECT_NE(log_.text().find("=>Open file error (" + path + c.reason + ")   ["),
                  std::string::npos);
    }
    EXPECT_EQ(buffers_.flash, before);
    EXPECT_EQ(buffers_.file[0].filePath, recordBefore.filePath);
    EXPECT_EQ(buffers_.file[0].fileExtension, recordBefore.fileExtension);
    EXPECT_STREQ(record_->codeFileName, "a.bin");

    log_.setLanguage(Language::chinese);
    const std::string path = write("bad2.hex", DataRecord(0, Bytes(16)) + bad + test::EndRecord());
    EXPECT_EQ(load(path).reason, path + ": 第2行: 检验和错误");
}

// A pipe, a device or a folder is refused at once, never waited on.
TEST_F(FileLoading, OnlyRegularFilesAreRead) {
    for (const std::string& path : {test::MakeSpecialFile(dir_), dir_.string()}) {
        SCOPED_TRACE(path);
        const LoadOutcome outcome = load(path);
        EXPECT_EQ(outcome.result, S8_FILE_ERROR);
        EXPECT_EQ(outcome.reason, path + ": not a regular file");
    }
}

TEST_F(FileLoading, HexExtensionsAndOverlapWarnings) {
    const std::string text = DataRecord(0x100, Bytes(8)) + DataRecord(0x104, {0xAA}) +
                             test::EndRecord();
    for (const char* name : {"a.IHX", "b.ihex", "c.Hex"}) {
        SCOPED_TRACE(name);
        const std::string path = write(name, text);
        const LoadOutcome outcome = load(path);
        ASSERT_EQ(outcome.result, S8_PASS);
        EXPECT_EQ(outcome.hexLowestAddress, std::optional<std::uint64_t>(0x100));
        EXPECT_EQ(buffers_.flash.size(), 8u);
        EXPECT_EQ(buffers_.flash[4], 0xAA);
        ASSERT_EQ(outcome.warnings.size(), 1u);
        EXPECT_EQ(outcome.warnings[0],
                  path + ": records overlap with different bytes at 0x104 (1 bytes; the later "
                         "record wins)");
    }
}

TEST_F(FileLoading, AbsoluteHexLoadKeepsTheFilesAddresses) {
    LoadRequest request;
    request.path = write("abs.hex", DataRecord(0x1FF0, Bytes(16)) + test::EndRecord());
    request.absolute = true;
    buffers_.loadOffset = 0x40; // not used for an absolute load
    ASSERT_EQ(loader_.load(request).result, S8_PASS);
    ASSERT_EQ(buffers_.flash.size(), 0x2000u);
    EXPECT_EQ(buffers_.flash[0x1FF0], 0);
    EXPECT_EQ(buffers_.flash[0], 0xFF);

    request.path = write("out.hex", DataRecord(0x1FF8, Bytes(16)) + test::EndRecord());
    const LoadOutcome beyond = loader_.load(request);
    EXPECT_EQ(beyond.result, S8_FILE_TOO_LARGE); // past the 0x2000-byte chip
    EXPECT_EQ(beyond.reason, request.path + ": highest address 0x2007; 16 bytes from 0x1FF8 do "
                                            "not fit in the 8192-byte buffer");
}

// What counts is the image a HEX file describes, not the length of its text:
// records written many times over still make a small image.
TEST_F(FileLoading, ARedundantHexFileFarLongerThanItsImageLoads) {
    std::string record = DataRecord(0, Bytes(16));
    std::string text;
    text.reserve(17u << 20);
    while (text.size() < (16u << 20)) text += record;
    text += test::EndRecord();
    const LoadOutcome outcome = load(write("redundant.hex", text));
    ASSERT_EQ(outcome.result, S8_PASS) << outcome.reason;
    EXPECT_EQ(buffers_.flash, Bytes(16));
}

TEST_F(FileLoading, CapacityCountsTheLoadOffset) {
    buffers_.loadOffset = 0x1FF0;
    EXPECT_EQ(load(write("fits.bin", Bytes(16))).result, S8_PASS); // ends exactly at the end
    EXPECT_EQ(buffers_.flash.size(), 0x2000u);
    // The EEPROM tab shares the offset, which is far beyond its 512 bytes.
    EXPECT_EQ(load(write("e.bin", Bytes(1)), BufferTab::eeprom).result, S8_FILE_TOO_LARGE);
    buffers_.loadOffset = 0x1F0;
    EXPECT_EQ(load(write("e.bin", Bytes(16)), BufferTab::eeprom).result, S8_PASS);
    EXPECT_EQ(buffers_.eeprom.size(), 0x200u);
    EXPECT_EQ(buffers_.eeprom[0x1F0], 0);
    EXPECT_EQ(buffers_.file[1].kind, BufferKind::singleFile);
}

TEST_F(FileLoading, ReloadTakesTheRememberedFile) {
    const std::string path = write("r.bin", Bytes(4));
    load(path);
    write("r.bin", Bytes(4, 0x50));
    LoadOutcome outcome = reload();
    EXPECT_EQ(outcome.result, S8_PASS);
    EXPECT_EQ(outcome.displayName, path); // a reload is not a mix
    EXPECT_EQ(buffers_.flash, Bytes(4, 0x50));
    EXPECT_EQ(log_.text().substr(35), "001 - Auto Reload =>Pass   [0.000\"]\r\n");
}

TEST_F(FileLoading, SaveBufferWritesTheTabsBytes) {
    buffers_.flash = Bytes(5);
    const std::string path = (dir_ / "out.bin").string();
    EXPECT_EQ(loader_.saveBuffer(BufferTab::flash, path), S8_PASS);
    EXPECT_EQ(ReadWholeFile(path), std::optional(Bytes(5)));
    EXPECT_EQ(loader_.saveBuffer(BufferTab::flash, (dir_ / "no" / "out.bin").string()),
              S8_FILE_ERROR);
    EXPECT_EQ(log_.text(), "000 - Save Buffer =>Pass   [0.000\"]\r\n"
                           "001 - Save Buffer =>Save file error (" +
                               (dir_ / "no" / "out.bin").string() +
                               ": no such file or folder)   [0.000\"]\r\n");
}

// Project files: the footer is scripted to behave like the library's.
class ProjectLoading : public FileLoading {
protected:
    void SetUp() override {
        FileLoading::SetUp();
        std::strcpy(record_->codeFileName, "before.hex");
        record_->eepromLength = 0x200; // what a chip change leaves behind
        project_ = write("p.vlx", std::vector<std::uint8_t>(64, 0x33));
    }
    std::string project_;
};

std::int32_t FooterFor(const std::string& name, ContextRecord& record, std::int32_t footerResult,
                       bool withEeprom) {
    if (name == "LoadVLXFooter") {
        std::strcpy(record.codeFileName, "app.hex");
        record.flashLength = 20;
        if (withEeprom) record.eepromLength = 4;
        record.partIndex = footerResult == S8_PROJECT_PART_ERROR ? -1 : test::kChipWithoutEeprom;
        return footerResult;
    }
    if (record.flashData != nullptr) std::memset(record.flashData, 0x5A, record.flashLength);
    if (record.eepromData != nullptr) std::memset(record.eepromData, 0xE0, record.eepromLength);
    return S8_PASS;
}

TEST_F(ProjectLoading, ProjectFillsBuffersAndSelectsItsChip) {
    Fake().behave = [](const std::string& name, ContextRecord& record) {
        return FooterFor(name, record, S8_PASS, true);
    };
    LoadOutcome outcome = load(project_);
    ASSERT_EQ(outcome.result, S8_PASS);
    EXPECT_TRUE(outcome.project);
    EXPECT_EQ(outcome.displayName, project_ + " (app.hex)");
    EXPECT_EQ(record_->partIndex, test::kChipWithoutEeprom);
    EXPECT_EQ(record_->flashData, nullptr);
    EXPECT_EQ(record_->eepromData, nullptr);
    EXPECT_EQ(buffers_.flash, std::vector<std::uint8_t>(20, 0x5A));
    EXPECT_EQ(buffers_.eeprom, std::vector<std::uint8_t>(4, 0xE0));
    EXPECT_EQ(buffers_.file[0].kind, BufferKind::singleFile);
    EXPECT_EQ(buffers_.file[0].filePath, "");
    EXPECT_EQ(outcome.summary.chipChecksum, ChipChecksum(buffers_.flash, 0x4000));

    // The record's empty path makes an automatic reload fail to open.
    EXPECT_EQ(reload().result, S8_FILE_ERROR);
}

TEST_F(ProjectLoading, ProjectWithoutEepromNeverReadsStaleEepromLength) {
    Fake().behave = [](const std::string& name, ContextRecord& record) {
        return FooterFor(name, record, S8_PASS, false);
    };
    ASSERT_EQ(load(project_).result, S8_PASS);
    ASSERT_EQ(Fake().calls.size(), 2u);
    EXPECT_EQ(Fake().calls[1].seen.eepromLength, 0u);
    EXPECT_EQ(Fake().calls[1].seen.eepromData, nullptr);
    EXPECT_EQ(buffers_.file[1].kind, BufferKind::empty);
}

TEST_F(ProjectLoading, FailedLoadRestoresTheWholeRecord) {
    auto before = std::make_unique<ContextRecord>();
    std::memcpy(before.get(), record_.get(), sizeof(ContextRecord));
    for (std::int32_t footer : {S8_PROJECT_PART_ERROR, S8_PASS}) {
        Fake().behave = [footer](const std::string& name, ContextRecord& record) {
            if (name == "LoadVLXBuffer") return std::int32_t{S8_FILE_ERROR};
            return FooterFor(name, record, footer, true);
        };
        LoadOutcome outcome = load(project_);
        EXPECT_EQ(outcome.result, footer == S8_PASS ? S8_FILE_ERROR : S8_PROJECT_PART_ERROR);
        EXPECT_EQ(std::memcmp(record_.get(), before.get(), sizeof(ContextRecord)), 0);
    }
    EXPECT_NE(log_.text().find("=>VLX PartNo not support !"), std::string::npos);
}

TEST_F(ProjectLoading, LengthsBeyondTheFileAreRejectedBeforeAllocating) {
    Fake().behave = [](const std::string& name, ContextRecord& record) {
        FooterFor(name, record, S8_PASS, false);
        record.flashLength = 0xFFFFFFF0;
        return S8_PASS;
    };
    EXPECT_EQ(load(project_).result, S8_PROJECT_BUFFER_ERROR);
    EXPECT_EQ(Fake().names(), std::vector<std::string>{"LoadVLXFooter"});
}

} // namespace
} // namespace scriba8::app
