#include "core/model/CleanupOutcome.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/system/Paths.h"
#include "core/text/FileURL.h"
#include "core/text/Json.h"
#include "core/text/PercentEncoding.h"
#include "core/text/Utf8.h"

namespace korvane {

namespace {

struct StatusRow {
    CleanupOutcome::Status status;
    std::string_view rawValue;
};

constexpr StatusRow statusTable[] = {
    {CleanupOutcome::Status::deleted, "deleted"}, {CleanupOutcome::Status::trashed, "trashed"},
    {CleanupOutcome::Status::pruned, "pruned"},   {CleanupOutcome::Status::skipped, "skipped"},
    {CleanupOutcome::Status::failed, "failed"},
};

constexpr std::string_view kEncodedPrefix = "file://";

// A path is bytes and JSON text is UTF-8: a path that is not UTF-8 (or that
// would read as the encoded form) is stored as a file URL, whose percent
// escapes keep every byte; every other path as plain text, as it always was,
// so that history written before reads the same.
nlohmann::json storedPath(const std::string& path) {
    if (Utf8::isValid(path) && !path.starts_with(kEncodedPrefix)) return path;
    return std::string(kEncodedPrefix) + FileURL::percentEncodePath(path);
}

std::string pathFromStored(const nlohmann::json& value, const char* what) {
    std::string text = json::toString(value);
    if (text.starts_with(kEncodedPrefix)) {
        auto decoded = PercentEncoding::decode(std::string_view(text).substr(kEncodedPrefix.size()));
        if (!decoded) throw JsonError(std::string(what) + " is not a valid encoded path.");
        return *decoded;
    }
    // A plain path: a NUL byte can never name a real location.
    if (!Paths::isValid(text)) throw JsonError(std::string(what) + " holds a NUL byte.");
    return text;
}

}  // namespace

bool CleanupOutcome::succeeded() const {
    return status == Status::deleted || status == Status::trashed || status == Status::pruned;
}

std::int64_t CleanupOutcome::returnedBytes() const {
    if (!putBack) return 0;
    return std::clamp<std::int64_t>(putBackBytes.value_or(expectedBytes), 0, std::max<std::int64_t>(expectedBytes, 0));
}

std::optional<CleanupOutcome::Status> CleanupOutcome::statusFromRawValue(std::string_view text) {
    for (const auto& row : statusTable)
        if (row.rawValue == text) return row.status;
    return std::nullopt;
}

std::string_view rawValue(CleanupOutcome::Status status) {
    return statusTable[static_cast<std::size_t>(status)].rawValue;
}

const std::array<CleanupOutcome::Status, 5>& allCleanupStatuses() {
    static constexpr std::array<CleanupOutcome::Status, 5> all = {
        CleanupOutcome::Status::deleted, CleanupOutcome::Status::trashed, CleanupOutcome::Status::pruned,
        CleanupOutcome::Status::skipped, CleanupOutcome::Status::failed};
    return all;
}

void to_json(nlohmann::json& j, const CleanupOutcome& value) {
    j = nlohmann::json::object();
    j["candidateID"] = value.candidateID.text();
    j["category"] = value.category;
    j["title"] = value.title;
    j["path"] = storedPath(value.path);
    j["expectedBytes"] = value.expectedBytes;
    j["status"] = std::string(rawValue(value.status));
    if (value.message) j["message"] = *value.message;
    if (value.trashURL) j["trashURL"] = storedPath(*value.trashURL);
    if (value.putBack) j["putBack"] = true;
    if (value.putBackBytes) j["putBackBytes"] = *value.putBackBytes;
    if (value.removedBytes > 0) j["removedBytes"] = value.removedBytes;
}

void from_json(const nlohmann::json& j, CleanupOutcome& value) {
    CleanupOutcome result;
    result.candidateID = json::toUUID(json::required(j, "candidateID"));
    from_json(json::required(j, "category"), result.category);
    result.title = json::toString(json::required(j, "title"));
    result.path = pathFromStored(json::required(j, "path"), "Path");
    result.expectedBytes = json::toInt64(json::required(j, "expectedBytes"));
    auto statusText = json::toString(json::required(j, "status"));
    auto status = CleanupOutcome::statusFromRawValue(statusText);
    if (!status) throw JsonError("Cannot initialize Status from invalid value " + statusText);
    result.status = *status;
    if (auto message = json::optional(j, "message")) result.message = json::toString(*message);
    if (auto trash = json::optional(j, "trashURL")) result.trashURL = pathFromStored(*trash, "Trash path");
    if (auto putBack = json::optional(j, "putBack")) result.putBack = json::toBool(*putBack);
    if (auto back = json::optional(j, "putBackBytes"))
        result.putBackBytes = std::max<std::int64_t>(json::toInt64(*back), 0);
    if (auto removed = json::optional(j, "removedBytes"))
        result.removedBytes = std::max<std::int64_t>(json::toInt64(*removed), 0);
    value = std::move(result);
}

}  // namespace korvane
