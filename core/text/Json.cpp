#include "core/text/Json.h"

#include <limits>

#include "core/text/FileURL.h"
#include "core/text/IsoDate.h"

namespace korvane::json {

const nlohmann::json& required(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) throw JsonError("Expected to decode a dictionary.");
    auto found = object.find(key);
    if (found == object.end()) throw JsonError("No value associated with key \"" + std::string(key) + "\".");
    return *found;
}

const nlohmann::json& requiredArray(const nlohmann::json& object, std::string_view key) {
    const auto& value = required(object, key);
    if (!value.is_array()) throw JsonError("Expected an array under \"" + std::string(key) + "\".");
    return value;
}

const nlohmann::json* optional(const nlohmann::json& object, std::string_view key) {
    if (!object.is_object()) throw JsonError("Expected to decode a dictionary.");
    auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

std::int64_t toInt64(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            throw JsonError("Number " + value.dump() + " does not fit a 64-bit integer.");
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    throw JsonError("Expected an integer but found " + std::string(value.type_name()) + ".");
}

std::uint64_t toUInt64(const nlohmann::json& value) {
    if (value.is_number_unsigned()) return value.get<std::uint64_t>();
    if (value.is_number_integer() && value.get<std::int64_t>() >= 0)
        return static_cast<std::uint64_t>(value.get<std::int64_t>());
    throw JsonError("Expected a whole number of 0 or more but found " + value.dump() + ".");
}

double toDouble(const nlohmann::json& value) {
    if (!value.is_number()) throw JsonError("Expected a number but found " + std::string(value.type_name()) + ".");
    return value.get<double>();
}

bool toBool(const nlohmann::json& value) {
    if (!value.is_boolean()) throw JsonError("Expected a Boolean but found " + std::string(value.type_name()) + ".");
    return value.get<bool>();
}

std::string toString(const nlohmann::json& value) {
    if (!value.is_string()) throw JsonError("Expected a string but found " + std::string(value.type_name()) + ".");
    return value.get<std::string>();
}

std::chrono::system_clock::time_point toDate(const nlohmann::json& value) {
    auto text = toString(value);
    auto date = IsoDate::parse(text);
    if (!date) throw JsonError("Expected date string to be ISO8601-formatted: " + text);
    return *date;
}

std::string toFilePath(const nlohmann::json& value) {
    auto text = toString(value);
    auto path = FileURL::toPath(text);
    if (!path) throw JsonError("Invalid file URL: " + value.dump());
    return *path;
}

nlohmann::json fromDate(std::chrono::system_clock::time_point date) { return IsoDate::format(date); }

nlohmann::json fromFilePath(std::string_view path) { return FileURL::fromPath(path); }

bool nestingWithin(std::string_view text, int maxDepth) {
    // The parser stops at a stray closing bracket, so whatever follows one
    // costs nothing however it nests.
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

}  // namespace korvane::json
