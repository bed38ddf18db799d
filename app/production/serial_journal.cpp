// SPDX-License-Identifier: MIT
#include "serial_journal.h"

#include "file_errors.h"
#include "file_paths.h"
#include "files/append_file.h"
#include "files/lock_file.h"

#include "files/utf8_path.h"

#include <cerrno>
#include <filesystem>
#include <string_view>

namespace scriba8::app {
namespace {

constexpr std::string_view kHeader = "# scriba8 serial journal 1";

std::optional<SerialState> stateNamed(std::string_view word) {
    if (word == "pass") return SerialState::pass;
    if (word == "unused") return SerialState::unused;
    if (word == "failed") return SerialState::failed;
    return std::nullopt;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    while (true) {
        const std::size_t tab = line.find('\t');
        out.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) return out;
        line.remove_prefix(tab + 1);
    }
}

// Tabs and line ends would split a line of the journal.
std::string field(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

Bilingual reasonFor(const std::string& path, int error) {
    return {FileReason(path, error, Language::english), FileReason(path, error, Language::chinese)};
}

} // namespace

std::variant<JournalContents, Bilingual> ReadSerialJournal(const std::string& path) {
    JournalContents journal;
    const FileContents contents = ReadFileContents(path);
    if (contents.error != 0 && contents.error != ENOENT) return reasonFor(path, contents.error);
    journal.fileBytes = contents.bytes.size();
    std::string_view text(reinterpret_cast<const char*>(contents.bytes.data()), contents.bytes.size());
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        ++lineNumber;
        if (end == std::string_view::npos) {
            // Written up to the crash: the step it stood for had not begun.
            journal.warnings.push_back(
                {path + ": its last line was cut short (a run ended mid-write) and is skipped",
                 path + ": 最后一行不完整（某次运行在写入时中断），已跳过"});
            break;
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        journal.wholeBytes += end + 1;
        if (line.empty() || line.front() == '#') continue;
        const auto parts = fields(line);
        if (parts[0] == "reserve" && parts.size() == 5) {
            journal.entries[std::string(parts[1])] = {SerialState::reserved, std::string(parts[2])};
        } else if (parts[0] == "outcome" && parts.size() == 3 && stateNamed(parts[2])) {
            journal.entries[std::string(parts[1])].state = *stateNamed(parts[2]);
        } else {
            const std::string number = std::to_string(lineNumber);
            return Bilingual{path + ": line " + number + " is not a line of a serial journal",
                             path + ": 第" + number + "行不是序列号记录文件的内容"};
        }
    }
    return journal;
}

const char* SerialStateName(SerialState state) {
    switch (state) {
    case SerialState::reserved: return "reserved";
    case SerialState::pass: return "pass";
    case SerialState::unused: return "unused";
    case SerialState::failed: return "failed";
    }
    return "reserved";
}

SerialJournal::~SerialJournal() {
    if (file_ != nullptr) std::fclose(file_);
}

std::variant<std::unique_ptr<SerialJournal>, Bilingual> SerialJournal::open(const std::string& path) {
    std::unique_ptr<SerialJournal> journal(new SerialJournal);
    journal->path_ = path;
    // A lock file of its own: on some systems a lock on the journal itself
    // would keep the run's own appends out.
    const std::string lockPath = path + ".lock";
    journal->lock_ = LockFile::open(lockPath, true);
    if (!journal->lock_) return reasonFor(lockPath, errno);
    if (journal->lock_->tryLock() != LockFile::Attempt::locked)
        return Bilingual{path + ": the serial journal is in use by another production run; let it "
                                "finish, or give this run a journal of its own",
                         path + ": 序列号记录文件正被另一个生产运行使用；请等它结束，或为本次运行指定另一个记录文件"};

    auto read = ReadSerialJournal(path);
    if (const auto* why = std::get_if<Bilingual>(&read)) return *why;
    JournalContents& contents = std::get<JournalContents>(read);
    for (auto& [key, entry] : contents.entries) journal->states_[key] = entry.state;
    journal->warnings_ = std::move(contents.warnings);
    const bool cutLine = contents.wholeBytes != contents.fileBytes;
    const std::uint64_t whole = contents.wholeBytes;
    // The cut line goes: the run holds the lock, and half a line would be
    // taken for a damaged journal by every later run.
    if (cutLine) {
        std::error_code error;
        std::filesystem::resize_file(files::pathFromUtf8(path), whole, error);
        if (error) return reasonFor(path, error.value());
    }
    journal->file_ = files::openForAppending(path);
    if (journal->file_ == nullptr) return reasonFor(path, errno);
    if (contents.fileBytes == 0 && journal->append(std::string(kHeader)) != 0)
        return reasonFor(path, errno);
    return journal;
}

std::optional<SerialState> SerialJournal::state(const std::string& key) const {
    const auto found = states_.find(key);
    if (found == states_.end()) return std::nullopt;
    return found->second;
}

int SerialJournal::append(const std::string& line) {
    const std::string text = line + "\n";
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) return errno != 0 ? errno : EIO;
    return files::flushToDisk(file_);
}

int SerialJournal::reserve(const std::string& key, const std::string& serial, const std::string& run,
                           const std::string& programmer) {
    const int error =
        append("reserve\t" + field(key) + "\t" + field(serial) + "\t" + field(run) + "\t" + field(programmer));
    // Even when the write failed the number counts as taken: it may be on
    // the disk after all.
    states_[key] = SerialState::reserved;
    return error;
}

int SerialJournal::record(const std::string& key, SerialState outcome) {
    states_[key] = outcome;
    return append("outcome\t" + field(key) + "\t" + SerialStateName(outcome));
}

} // namespace scriba8::app
