// A small JSON value for the --json output: objects keep their keys in the
// order they were added.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace scriba8::cli {

class Json {
public:
    using Array = std::vector<Json>;
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() = default; // null
    Json(std::nullptr_t) {}
    Json(bool value) : value_(value) {}
    Json(int value) : value_(static_cast<std::int64_t>(value)) {}
    Json(unsigned value) : value_(static_cast<std::int64_t>(value)) {}
    Json(std::int64_t value) : value_(value) {}
    Json(std::uint64_t value) : value_(static_cast<std::int64_t>(value)) {}
    Json(long long value) : value_(static_cast<std::int64_t>(value)) {}
    Json(std::string value) : value_(std::move(value)) {}
    Json(std::string_view value) : value_(std::string(value)) {}
    Json(const char* value) : value_(std::string(value)) {}
    Json(Array value) : value_(std::move(value)) {}
    Json(Object value) : value_(std::move(value)) {}

    static Json object() { return Json(Object{}); }
    static Json array() { return Json(Array{}); }

    // Adds a member to an object (replacing one of the same key) or an
    // element to an array; a null value becomes an object or array first.
    Json& set(std::string key, Json value);
    Json& push(Json value);

    bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
    const Json* find(std::string_view key) const;

    // One line, no trailing newline. Text that is not valid UTF-8 is
    // written with U+FFFD in place of the bad bytes.
    std::string dump() const;

private:
    void write(std::string& out) const;

    std::variant<std::monostate, bool, std::int64_t, std::string, Array, Object> value_;
};

// A JSON string literal, quotes included.
std::string JsonQuoted(std::string_view text);

} // namespace scriba8::cli
