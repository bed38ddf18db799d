// SPDX-License-Identifier: MIT
// Shared helpers of the project-file and ISP tests.
#pragma once

#include "Scriba8_T3Plus_DLL.h"
#include "chips/chip_table.h"
#include "temp_folder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace scriba8::test {

// A folder of its own for each test, removed afterwards.
class TempDir {
  public:
    TempDir() : path_(MakeTempFolder("scriba8-project")) {}
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A zeroed record with its own status word, as the application starts one.
struct Context {
    Context() {
        ctx = std::make_unique<ContextRecord>();
        std::memset(ctx.get(), 0, sizeof(ContextRecord));
        ctx->partIndex = -1;
        ctx->autoProcess = S8_DEFAULT_AUTO_PROCESS;
        ctx->ispCodeSource = 0xFF;
        ctx->status = &status;
    }
    ContextRecord* operator->() { return ctx.get(); }
    ContextRecord& operator*() { return *ctx; }

    std::uint16_t status = 0;
    std::unique_ptr<ContextRecord> ctx;
    std::vector<std::uint8_t> flash, eeprom; // buffers the record may point to
};

// A byte-exact copy, padding included, to compare a record against later.
inline std::unique_ptr<ContextRecord> snapshot(const ContextRecord& ctx) {
    auto copy = std::make_unique<ContextRecord>();
    std::memcpy(copy.get(), &ctx, sizeof(ContextRecord));
    return copy;
}

inline bool sameRecord(const ContextRecord& a, const ContextRecord& b) {
    return std::memcmp(&a, &b, sizeof(ContextRecord)) == 0;
}

// First chip row for which pick is true; -1 when none.
inline std::int32_t firstRow(const std::function<bool(const ChipRecord&)>& pick) {
    const auto table = chipTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (pick(table[row])) return static_cast<std::int32_t>(row);
    }
    return -1;
}

inline std::uint16_t byteSum(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t sum = 0;
    for (auto b : bytes)
        sum += b;
    return static_cast<std::uint16_t>(sum);
}

} // namespace scriba8::test
