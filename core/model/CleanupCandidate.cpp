#include "core/model/CleanupCandidate.h"

#include <nlohmann/json.hpp>

#include "core/text/Json.h"

namespace korvane {

CleanupCandidate::CleanupCandidate(UUID id, CleanupCategory category, std::string ruleID, std::string groupTitle,
                                   std::string title, std::string path, std::int64_t size, SafetyLevel safety,
                                   std::string reason, std::optional<std::string> restoreHint,
                                   std::optional<std::chrono::system_clock::time_point> lastModified,
                                   DetailMap details, RemovalKind removal,
                                   std::optional<bool> isSelectedByDefault)
    : id(id), category(category), ruleID(std::move(ruleID)), groupTitle(std::move(groupTitle)),
      title(std::move(title)), path(std::move(path)), size(size), safety(safety), reason(std::move(reason)),
      restoreHint(std::move(restoreHint)), lastModified(lastModified), details(std::move(details)),
      removal(std::move(removal)), isSelectedByDefault(isSelectedByDefault.value_or(safety == SafetyLevel::safe)) {}

void to_json(nlohmann::json& j, const CleanupCandidate& value) {
    j = nlohmann::json::object();
    j["id"] = value.id.text();
    j["category"] = value.category;
    j["ruleID"] = value.ruleID;
    j["groupTitle"] = value.groupTitle;
    j["title"] = value.title;
    j["path"] = json::fromFilePath(value.path);
    j["size"] = value.size;
    j["safety"] = value.safety;
    j["reason"] = value.reason;
    if (value.restoreHint) j["restoreHint"] = *value.restoreHint;
    if (value.lastModified) j["lastModified"] = json::fromDate(*value.lastModified);
    auto& details = j["details"] = nlohmann::json::object();
    for (const auto& [key, text] : value.details) details[key] = text;
    j["removal"] = value.removal;
    j["isSelectedByDefault"] = value.isSelectedByDefault;
    if (value.prerequisite) j["prerequisite"] = value.prerequisite->text();
    if (value.seen) j["seen"] = *value.seen;
}

namespace {

DetailMap readDetails(const nlohmann::json& value) {
    if (!value.is_object()) throw JsonError("Expected a dictionary of details.");
    DetailMap details;
    for (const auto& [key, text] : value.items()) details.emplace(key, json::toString(text));
    return details;
}

}  // namespace

void from_json(const nlohmann::json& j, CleanupCandidate& value) {
    CleanupCandidate result;
    result.id = json::toUUID(json::required(j, "id"));
    from_json(json::required(j, "category"), result.category);
    result.ruleID = json::toString(json::required(j, "ruleID"));
    result.groupTitle = json::toString(json::required(j, "groupTitle"));
    result.title = json::toString(json::required(j, "title"));
    result.path = json::toFilePath(json::required(j, "path"));
    result.size = json::toInt64(json::required(j, "size"));
    from_json(json::required(j, "safety"), result.safety);
    result.reason = json::toString(json::required(j, "reason"));
    if (auto hint = json::optional(j, "restoreHint")) result.restoreHint = json::toString(*hint);
    if (auto date = json::optional(j, "lastModified")) result.lastModified = json::toDate(*date);
    result.details = readDetails(json::required(j, "details"));
    from_json(json::required(j, "removal"), result.removal);
    result.isSelectedByDefault = json::toBool(json::required(j, "isSelectedByDefault"));
    if (auto first = json::optional(j, "prerequisite")) result.prerequisite = json::toUUID(*first);
    if (auto seen = json::optional(j, "seen")) result.seen = seen->get<ItemIdentity>();
    value = std::move(result);
}

}  // namespace korvane
