#include "json.h"

#include <cstdio>

namespace scriba8::cli {
namespace {

// Length of the valid UTF-8 sequence at text[i], or 0.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

Json& Json::set(std::string key, Json value) {
    if (isNull()) value_ = Object{};
    Object& members = std::get<Object>(value_);
    for (auto& member : members) {
        if (member.first == key) {
            member.second = std::move(value);
            return member.second;
        }
    }
    members.emplace_back(std::move(key), std::move(value));
    return members.back().second;
}

Json& Json::push(Json value) {
    if (isNull()) value_ = Array{};
    Array& elements = std::get<Array>(value_);
    elements.push_back(std::move(value));
    return elements.back();
}

const Json* Json::find(std::string_view key) const {
    const Object* members = std::get_if<Object>(&value_);
    if (members == nullptr) return nullptr;
    for (const auto& member : *members)
        if (member.first == key) return &member.second;
    return nullptr;
}

std::string Json::dump() const {
    std::string out;
    write(out);
    return out;
}

void Json::write(std::string& out) const {
    if (isNull()) {
        out += "null";
    } else if (const bool* flag = std::get_if<bool>(&value_)) {
        out += *flag ? "true" : "false";
    } else if (const std::int64_t* number = std::get_if<std::int64_t>(&value_)) {
        out += std::to_string(*number);
    } else if (const std::string* text = std::get_if<std::string>(&value_)) {
        out += JsonQuoted(*text);
    } else if (const Array* elements = std::get_if<Array>(&value_)) {
        out += '[';
        for (std::size_t i = 0; i < elements->size(); ++i) {
            if (i != 0) out += ',';
            (*elements)[i].write(out);
        }
        out += ']';
    } else if (const Object* members = std::get_if<Object>(&value_)) {
        out += '{';
        for (std::size_t i = 0; i < members->size(); ++i) {
            if (i != 0) out += ',';
            out += JsonQuoted((*members)[i].first);
            out += ':';
            (*members)[i].second.write(out);
        }
        out += '}';
    }
}

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t length = utf8Length(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that starts no valid sequence
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
        i += length;
    }
    return out + "\"";
}

} // namespace scriba8::cli
