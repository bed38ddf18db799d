// SPDX-License-Identifier: MIT
#include "trace_store.h"

#include "files/windows_text.h"

#include <algorithm>
#include <atomic>

#include <windows.h>

namespace scriba8::app {
namespace {

class TemporaryTrace final : public TraceStore {
  public:
    TemporaryTrace(HANDLE file, std::wstring path) : file_(file), path_(std::move(path)) {}
    ~TemporaryTrace() override { ::CloseHandle(file_); }
    TemporaryTrace(const TemporaryTrace&) = delete;
    TemporaryTrace& operator=(const TemporaryTrace&) = delete;

    std::string name() const override { return files::utf8FromWide(path_); }

    std::size_t read(std::uint64_t offset, std::span<char> buffer) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 20));
        return ::ReadFile(file_, buffer.data(), wanted, &got, &at) ? got : 0;
    }

    // A temporary file holds its trace until scriba8 ends.
    void release(std::uint64_t) override {}

  private:
    HANDLE file_;
    std::wstring path_;
};

} // namespace

std::unique_ptr<TraceStore> TraceStore::create() {
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return nullptr;
    static std::atomic<unsigned> counter{0};
    const std::wstring path = std::wstring(folder, length) + L"scriba8-trace-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++) + L".txt";
    // Deleted when the last handle closes, also when scriba8 is killed; the
    // library's handle shares deletion, as files::openForAppending does.
    const HANDLE file = ::CreateFileW(
        path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<TemporaryTrace>(file, path);
}

std::string StandardErrorTraceName() { return {}; }

} // namespace scriba8::app
