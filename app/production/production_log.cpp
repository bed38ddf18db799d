// SPDX-License-Identifier: MIT
#include "production_log.h"

#include "file_errors.h"
#include "file_paths.h"
#include "files/append_file.h"
#include "files/local_time.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

namespace scriba8::app {
namespace {

using Json = nlohmann::ordered_json;

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

Bilingual reasonFor(const std::string& path, int error) {
    return {FileReason(path, error, Language::english), FileReason(path, error, Language::chinese)};
}

// A CSV field: quoted when it holds a separator, a quote or a line end.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

constexpr const char* kCsvHeader =
    "time,host,runId,counter,programmer,devicePath,usbSerial,part,imageCrc32,imageChecksum,serial,"
    "steps,result,resultCode,outcome,durationMs";

std::string recordCsv(const ProductionRecord& r) {
    std::string steps;
    for (const StepRecord& step : r.steps) {
        if (!steps.empty()) steps += ';';
        steps += step.step + "=" + std::to_string(step.result) + "/" + std::to_string(step.ms) + "ms";
    }
    const std::string fields[] = {r.time,
                                  r.host,
                                  r.runId,
                                  std::to_string(r.counter),
                                  r.programmer,
                                  r.devicePath,
                                  r.usbSerial,
                                  r.part,
                                  hex32(r.imageCrc32),
                                  std::to_string(r.imageChecksum),
                                  r.serial.value_or(""),
                                  steps,
                                  r.result,
                                  std::to_string(r.resultCode),
                                  r.outcome,
                                  std::to_string(r.durationMs)};
    std::string line;
    for (std::size_t i = 0; i < std::size(fields); ++i) line += (i == 0 ? "" : ",") + csvField(fields[i]);
    return line;
}

std::optional<ProductionRecord> recordFrom(const Json& j) {
    if (!j.is_object() || !j.contains("time") || !j.contains("programmer") || !j.contains("result") ||
        !j.contains("durationMs") || !j["result"].is_string())
        return std::nullopt;
    ProductionRecord r;
    r.time = j.value("time", "");
    r.host = j.value("host", "");
    r.runId = j.value("runId", "");
    r.counter = j.value("counter", std::uint64_t{0});
    r.programmer = j.value("programmer", "");
    r.devicePath = j.value("devicePath", "");
    r.usbSerial = j.value("usbSerial", "");
    r.part = j.value("part", "");
    if (j.contains("serial") && j["serial"].is_string()) r.serial = j["serial"].get<std::string>();
    if (j.contains("steps") && j["steps"].is_array()) {
        for (const Json& step : j["steps"]) {
            if (!step.is_object()) continue;
            r.steps.push_back({step.value("step", ""), step.value("result", 0), step.value("ms", std::uint64_t{0})});
        }
    }
    r.result = j.value("result", "");
    r.resultCode = j.value("resultCode", 0);
    r.outcome = j.value("outcome", "");
    r.durationMs = j.value("durationMs", std::uint64_t{0});
    return r;
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string UtcTimeText() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::optional<std::tm> utc = files::utcTime(seconds);
    if (!utc) return "unknown";
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc->tm_year + 1900,
                  utc->tm_mon + 1, utc->tm_mday, utc->tm_hour, utc->tm_min, utc->tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::string RecordJson(const ProductionRecord& r) {
    Json j = Json::object();
    j["time"] = r.time;
    j["host"] = r.host;
    j["runId"] = r.runId;
    j["counter"] = r.counter;
    j["programmer"] = r.programmer;
    j["devicePath"] = r.devicePath;
    j["usbSerial"] = r.usbSerial;
    j["part"] = r.part;
    j["imageCrc32"] = hex32(r.imageCrc32);
    j["imageChecksum"] = r.imageChecksum;
    if (r.serial) j["serial"] = *r.serial;
    Json steps = Json::array();
    for (const StepRecord& step : r.steps)
        steps.push_back(Json{{"step", step.step}, {"result", step.result}, {"ms", step.ms}});
    j["steps"] = std::move(steps);
    j["result"] = r.result;
    j["resultCode"] = r.resultCode;
    j["outcome"] = r.outcome;
    j["durationMs"] = r.durationMs;
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

RecordWriter::~RecordWriter() {
    if (file_ != nullptr) std::fclose(file_);
}

std::variant<std::unique_ptr<RecordWriter>, Bilingual> RecordWriter::open(const std::string& path, Form form) {
    std::unique_ptr<RecordWriter> writer(new RecordWriter);
    writer->path_ = path;
    writer->form_ = form;
    // A record a crash cut short stays, for the audit, but the next one
    // starts on a line of its own.
    const FileContents before = ReadFileContents(path);
    const bool cutLast = before.error == 0 && !before.bytes.empty() && before.bytes.back() != '\n';
    writer->file_ = files::openForAppending(path);
    if (writer->file_ == nullptr) return reasonFor(path, errno);
    if (cutLast) {
        std::fputs(form == Form::csv ? "\r\n" : "\n", writer->file_);
        if (const int error = files::flushToDisk(writer->file_); error != 0) return reasonFor(path, error);
    }
    if (form == Form::csv && ReadableFileSize(path).value_or(0) == 0) {
        std::fprintf(writer->file_, "%s\r\n", kCsvHeader);
        if (const int error = files::flushToDisk(writer->file_); error != 0) return reasonFor(path, error);
    }
    return writer;
}

int RecordWriter::write(const ProductionRecord& record) {
    const std::string line =
        (form_ == Form::jsonLines ? RecordJson(record) + "\n" : recordCsv(record) + "\r\n");
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) return errno != 0 ? errno : EIO;
    return files::flushToDisk(file_);
}

std::variant<ReadRecords, Bilingual> ReadProductionLogs(const std::vector<std::string>& paths) {
    ReadRecords read;
    for (const std::string& path : paths) {
        const FileContents contents = ReadFileContents(path);
        if (contents.error != 0) return reasonFor(path, contents.error);
        std::string_view text(reinterpret_cast<const char*>(contents.bytes.data()), contents.bytes.size());
        std::size_t lineNumber = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            const bool cut = end == std::string_view::npos;
            const std::string_view line = text.substr(0, end);
            text.remove_prefix(cut ? text.size() : end + 1);
            ++lineNumber;
            if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
            const std::string where = path + ": line " + std::to_string(lineNumber);
            const std::string whereZh = path + ": 第" + std::to_string(lineNumber) + "行";
            if (cut) {
                read.warnings.push_back({where + ": a record cut short (the run ended while writing it) is skipped",
                                         whereZh + ": 不完整的记录（运行在写入时结束）已跳过"});
                continue;
            }
            const Json j = Json::parse(line, nullptr, false);
            const std::optional<ProductionRecord> record = j.is_discarded() ? std::nullopt : recordFrom(j);
            if (!record) {
                read.warnings.push_back({where + ": not a whole production record (cut short by a crash?); skipped",
                                         whereZh + ": 不是完整的生产记录（因崩溃而不完整？），已跳过"});
                continue;
            }
            read.records.push_back(*record);
        }
    }
    return read;
}

} // namespace scriba8::app
