// SPDX-License-Identifier: MIT
// The allocation journal: which serial numbers were handed out and what
// became of them, so no number goes into two chips, across programmers,
// across runs and across a killed process.
//
// One text file, appended to and flushed to the disk before the chip is
// touched. A run holds the file's lock for its whole length: a second run on
// the same journal is refused. Lines:
//   reserve <TAB> key <TAB> serial <TAB> run <TAB> programmer
//   outcome <TAB> key <TAB> pass | unused | failed
// A number reserved without an outcome may be in a chip (the process died
// mid-chip) and is never handed out again; "unused" (the chip failed before
// its image was written) may be, when the run asks for it.
#pragma once

#include "bilingual.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace scriba8 {
class LockFile;
}

namespace scriba8::app {

enum class SerialState { reserved, pass, unused, failed };

class SerialJournal {
public:
    ~SerialJournal();
    SerialJournal(const SerialJournal&) = delete;
    SerialJournal& operator=(const SerialJournal&) = delete;

    // Opens (or makes) the journal and takes its lock. A journal another run
    // holds, or one that cannot be read or written, is refused with the
    // reason. Lines cut by a crash are skipped; warnings says so.
    static std::variant<std::unique_ptr<SerialJournal>, Bilingual> open(const std::string& path);

    // What the journal knows of a serial; nothing for one never handed out.
    std::optional<SerialState> state(const std::string& key) const;

    // Each returns 0, or the errno value of a write that did not reach the
    // disk (the run must then stop: it can no longer promise anything).
    int reserve(const std::string& key, const std::string& serial, const std::string& run,
                const std::string& programmer);
    int record(const std::string& key, SerialState outcome);

    const std::string& path() const { return path_; }
    const std::vector<Bilingual>& warnings() const { return warnings_; }

private:
    SerialJournal() = default;
    int append(const std::string& line);

    std::string path_;
    std::unique_ptr<LockFile> lock_;
    std::FILE* file_ = nullptr;
    std::map<std::string, SerialState> states_;
    std::vector<Bilingual> warnings_;
};

// What a journal says, read without taking it from a run (for a report).
struct JournalContents {
    struct Entry {
        SerialState state = SerialState::reserved;
        std::string serial; // as the log shows it
    };
    std::map<std::string, Entry> entries; // by key
    std::vector<Bilingual> warnings;
    std::uint64_t fileBytes = 0;
    std::uint64_t wholeBytes = 0; // up to the end of the last whole line
};
std::variant<JournalContents, Bilingual> ReadSerialJournal(const std::string& path);

// The word an outcome is written as.
const char* SerialStateName(SerialState state);

} // namespace scriba8::app
