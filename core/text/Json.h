#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// Strict JSON reading shared by every stored type. Readers throw JsonError (or
// a nlohmann::json::exception) inside a decoder; `decodeJson` turns any of
// them into an absent value, so callers only ever see values.

namespace korvane {

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace json {

// The object member `key`; throws when `object` is not an object or the key is missing.
const nlohmann::json& required(const nlohmann::json& object, std::string_view key);
// The object member `key`, which must be an array; throws otherwise.
const nlohmann::json& requiredArray(const nlohmann::json& object, std::string_view key);
// The object member `key`, or nullptr when it is missing or null.
const nlohmann::json* optional(const nlohmann::json& object, std::string_view key);

// Typed readers that refuse any other JSON type (no silent float-to-integer).
std::int64_t toInt64(const nlohmann::json& value);
// A whole number of 0 or more (a device or inode number may pass the int64 range).
std::uint64_t toUInt64(const nlohmann::json& value);
double toDouble(const nlohmann::json& value);
bool toBool(const nlohmann::json& value);
std::string toString(const nlohmann::json& value);
// ISO 8601 text (fractional seconds and offsets accepted).
std::chrono::system_clock::time_point toDate(const nlohmann::json& value);
// An absolute file-URL text; throws on anything else, and on a NUL byte.
std::string toFilePath(const nlohmann::json& value);

nlohmann::json fromDate(std::chrono::system_clock::time_point date);
nlohmann::json fromFilePath(std::string_view path);

// Whether the arrays and objects of JSON text nest at most `maxDepth` deep
// (brackets inside strings do not count). A cheap look before parsing text
// from a file anyone could have written: the parser spends some 75 bytes of
// memory on every open bracket.
bool nestingWithin(std::string_view text, int maxDepth);

}  // namespace json

// Decodes a value (or a list of values) through its `from_json`; any failure
// gives no value.
template <class T>
std::optional<T> decodeJson(const nlohmann::json& value) {
    try {
        T result{};
        value.get_to(result);
        return result;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Parses JSON text, then decodes it; malformed text gives no value.
template <class T>
std::optional<T> decodeJsonText(std::string_view text) {
    try {
        return decodeJson<T>(nlohmann::json::parse(text.begin(), text.end()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace korvane
