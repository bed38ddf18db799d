// SPDX-License-Identifier: MIT
// The record of every chip a production run attempts: JSON Lines (one
// object a line) and, for spreadsheets, CSV. Each record is appended and
// flushed to the disk before the next chip; a record cut by a crash is
// skipped, with a warning, by every reader.
#pragma once

#include "bilingual.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace scriba8::app {

struct StepRecord {
    std::string step; // as --steps names it: "erase", "program", ...
    std::int32_t result = 0;
    std::uint64_t ms = 0;
};

struct ProductionRecord {
    std::string time; // UTC with milliseconds: 2026-12-10T07:12:33.123Z
    std::string host;
    std::string runId;
    std::uint64_t counter = 0; // the attempt's number in its run, from 1
    std::string programmer;    // as the run was told it: usb:SERIAL, virtual:FILE, ...
    std::string devicePath;
    std::string usbSerial;
    std::string part;
    std::uint32_t imageCrc32 = 0;
    std::uint16_t imageChecksum = 0;
    std::optional<std::string> serial; // hex text; none without serial numbers
    std::vector<StepRecord> steps;
    std::int32_t resultCode = 0;
    std::string result;  // "pass", or the failure: "verify: Fail"
    std::string outcome; // what the journal says of its serial: pass, unused, failed
    std::uint64_t durationMs = 0;

    bool passed() const { return result == "pass"; }
};

// One JSON line, without its line end.
std::string RecordJson(const ProductionRecord& record);

// Opens a log for appending; writes one record at a time.
class RecordWriter {
public:
    enum class Form { jsonLines, csv };
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // A CSV file gets its header line when it is new or empty.
    static std::variant<std::unique_ptr<RecordWriter>, Bilingual> open(const std::string& path, Form form);

    // 0, or the errno value of a record that did not reach the disk.
    int write(const ProductionRecord& record);
    const std::string& path() const { return path_; }

private:
    RecordWriter() = default;
    std::string path_;
    Form form_ = Form::jsonLines;
    std::FILE* file_ = nullptr;
};

struct ReadRecords {
    std::vector<ProductionRecord> records;
    std::vector<Bilingual> warnings; // lines skipped, each with file and line
};

// Reads JSON Lines logs; a line that is cut or not a record is skipped
// with a warning. A file that cannot be read is an error.
std::variant<ReadRecords, Bilingual> ReadProductionLogs(const std::vector<std::string>& paths);

// CRC-32 (IEEE 802.3), as zip and Ethernet compute it.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// The current UTC time as records carry it.
std::string UtcTimeText();

} // namespace scriba8::app
