#include "core/model/Categories.h"

#include <cstddef>

namespace korvane {

namespace {

struct CategoryRow {
    CleanupCategory category;
    std::string_view rawValue;
    std::string_view title;
    std::string_view symbolName;
    int sortOrder;
};

// Declaration order; the last column is the display order.
constexpr CategoryRow categoryTable[] = {
    {CleanupCategory::xcode, "xcode", "Xcode", "hammer.fill", 0},
    {CleanupCategory::docker, "docker", "Docker", "shippingbox.fill", 1},
    {CleanupCategory::node, "node", "Node.js", "cube.transparent.fill", 4},
    {CleanupCategory::android, "android", "Android", "smartphone", 6},
    {CleanupCategory::gradle, "gradle", "Gradle", "gearshape.2.fill", 7},
    {CleanupCategory::cocoapods, "cocoapods", "CocoaPods", "shippingbox", 5},
    {CleanupCategory::reactNative, "reactNative", "React Native", "atom", 2},
    {CleanupCategory::flutter, "flutter", "Flutter", "bird.fill", 3},
    {CleanupCategory::toolchains, "toolchains", "Toolchains", "wrench.and.screwdriver.fill", 8},
};

const CategoryRow& row(CleanupCategory category) { return categoryTable[static_cast<std::size_t>(category)]; }

struct SafetyRow {
    SafetyLevel level;
    std::string_view title;
};

constexpr SafetyRow safetyTable[] = {
    {SafetyLevel::safe, "Safe to remove"},
    {SafetyLevel::caution, "Review recommended"},
    {SafetyLevel::dangerous, "Protected"},
};

struct ToolRow {
    ExternalTool tool;
    std::string_view rawValue;
    std::string_view commandName;
    std::string_view program;
    std::string_view leadingArgument;  // empty: none
};

constexpr ToolRow toolTable[] = {
    {ExternalTool::docker, "docker", "docker", "docker", ""},
    {ExternalTool::simctl, "simctl", "xcrun simctl", "xcrun", "simctl"},
    {ExternalTool::brew, "brew", "brew", "brew", ""},
    {ExternalTool::flatpak, "flatpak", "flatpak", "flatpak", ""},
};

struct DisposalRow {
    Disposal disposal;
    std::string_view rawValue;
    std::string_view title;
};

constexpr DisposalRow disposalTable[] = {
    {Disposal::trash, "trash", "Move to Trash"},
    {Disposal::delete_, "delete", "Delete permanently"},
};

}  // namespace

const std::array<CleanupCategory, 9>& allCleanupCategories() {
    static constexpr std::array<CleanupCategory, 9> all = {
        CleanupCategory::xcode,     CleanupCategory::docker,      CleanupCategory::node,
        CleanupCategory::android,   CleanupCategory::gradle,      CleanupCategory::cocoapods,
        CleanupCategory::reactNative, CleanupCategory::flutter,   CleanupCategory::toolchains,
    };
    return all;
}

std::string_view rawValue(CleanupCategory category) { return row(category).rawValue; }

std::optional<CleanupCategory> cleanupCategoryFromRawValue(std::string_view text) {
    for (const auto& entry : categoryTable)
        if (entry.rawValue == text) return entry.category;
    return std::nullopt;
}

std::string_view title(CleanupCategory category) { return row(category).title; }
std::string_view symbolName(CleanupCategory category) { return row(category).symbolName; }
int sortOrder(CleanupCategory category) { return row(category).sortOrder; }

const std::array<SafetyLevel, 3>& allSafetyLevels() {
    static constexpr std::array<SafetyLevel, 3> all = {SafetyLevel::safe, SafetyLevel::caution,
                                                        SafetyLevel::dangerous};
    return all;
}

int rawValue(SafetyLevel level) { return static_cast<int>(level); }

std::optional<SafetyLevel> safetyLevelFromRawValue(long long value) {
    for (const auto& entry : safetyTable)
        if (static_cast<long long>(entry.level) == value) return entry.level;
    return std::nullopt;
}

std::string_view title(SafetyLevel level) { return safetyTable[static_cast<std::size_t>(level)].title; }

const std::array<ExternalTool, 4>& allExternalTools() {
    static constexpr std::array<ExternalTool, 4> all = {ExternalTool::docker, ExternalTool::simctl,
                                                        ExternalTool::brew, ExternalTool::flatpak};
    return all;
}

std::string_view rawValue(ExternalTool tool) { return toolTable[static_cast<std::size_t>(tool)].rawValue; }

std::optional<ExternalTool> externalToolFromRawValue(std::string_view text) {
    for (const auto& entry : toolTable)
        if (entry.rawValue == text) return entry.tool;
    return std::nullopt;
}

std::string_view commandName(ExternalTool tool) { return toolTable[static_cast<std::size_t>(tool)].commandName; }
std::string_view programName(ExternalTool tool) { return toolTable[static_cast<std::size_t>(tool)].program; }

std::vector<std::string> leadingArguments(ExternalTool tool) {
    auto leading = toolTable[static_cast<std::size_t>(tool)].leadingArgument;
    if (leading.empty()) return {};
    return {std::string(leading)};
}

const std::array<Disposal, 2>& allDisposals() {
    static constexpr std::array<Disposal, 2> all = {Disposal::trash, Disposal::delete_};
    return all;
}

std::string_view rawValue(Disposal disposal) { return disposalTable[static_cast<std::size_t>(disposal)].rawValue; }

std::optional<Disposal> disposalFromRawValue(std::string_view text) {
    for (const auto& entry : disposalTable)
        if (entry.rawValue == text) return entry.disposal;
    return std::nullopt;
}

std::string_view title(Disposal disposal) { return disposalTable[static_cast<std::size_t>(disposal)].title; }

RemovalKind RemovalKind::command(ExternalTool tool, std::vector<std::string> arguments) {
    RemovalKind removal;
    removal.kind = Case::command;
    removal.tool = tool;
    removal.arguments = std::move(arguments);
    return removal;
}

std::vector<std::string> RemovalKind::programArguments() const {
    auto result = leadingArguments(tool);
    result.insert(result.end(), arguments.begin(), arguments.end());
    return result;
}

std::string RemovalKind::commandLine() const {
    std::string line(commandName(tool));
    for (const auto& argument : arguments) {
        line += ' ';
        line += argument;
    }
    return line;
}

bool operator==(const RemovalKind& a, const RemovalKind& b) {
    if (a.kind != b.kind) return false;
    if (a.kind == RemovalKind::Case::path) return true;
    return a.tool == b.tool && a.arguments == b.arguments;
}

}  // namespace korvane

// JSON forms ------------------------------------------------------------------

#include <nlohmann/json.hpp>

#include "core/text/Json.h"

namespace korvane {

namespace {

template <class Enum, class Lookup>
Enum decodeText(const nlohmann::json& j, Lookup lookup, const char* what) {
    auto value = lookup(json::toString(j));
    if (!value) throw JsonError(std::string("Cannot initialize ") + what + " from invalid value " + j.dump());
    return *value;
}

}  // namespace

void to_json(nlohmann::json& j, CleanupCategory value) { j = std::string(rawValue(value)); }
void from_json(const nlohmann::json& j, CleanupCategory& value) {
    value = decodeText<CleanupCategory>(j, cleanupCategoryFromRawValue, "CleanupCategory");
}

void to_json(nlohmann::json& j, SafetyLevel value) { j = rawValue(value); }
void from_json(const nlohmann::json& j, SafetyLevel& value) {
    auto level = safetyLevelFromRawValue(json::toInt64(j));
    if (!level) throw JsonError("Cannot initialize SafetyLevel from invalid value " + j.dump());
    value = *level;
}

void to_json(nlohmann::json& j, ExternalTool value) { j = std::string(rawValue(value)); }
void from_json(const nlohmann::json& j, ExternalTool& value) {
    value = decodeText<ExternalTool>(j, externalToolFromRawValue, "ExternalTool");
}

void to_json(nlohmann::json& j, Disposal value) { j = std::string(rawValue(value)); }
void from_json(const nlohmann::json& j, Disposal& value) {
    value = decodeText<Disposal>(j, disposalFromRawValue, "Disposal");
}

void to_json(nlohmann::json& j, const RemovalKind& value) {
    if (value.isPath()) {
        j = nlohmann::json{{"path", nlohmann::json::object()}};
    } else {
        j = nlohmann::json{{"command", {{"tool", std::string(rawValue(value.tool))}, {"arguments", value.arguments}}}};
    }
}

void from_json(const nlohmann::json& j, RemovalKind& value) {
    if (!j.is_object()) throw JsonError("Expected to decode a dictionary for RemovalKind.");
    const bool hasPath = j.contains("path");
    const bool hasCommand = j.contains("command");
    if (hasPath == hasCommand) throw JsonError("Invalid number of keys found, expected one.");
    if (hasPath) {
        if (!j.at("path").is_object()) throw JsonError("Expected to decode a dictionary under \"path\".");
        value = RemovalKind::path();
        return;
    }
    const auto& command = j.at("command");
    ExternalTool tool{};
    from_json(json::required(command, "tool"), tool);
    const auto& list = json::requiredArray(command, "arguments");
    std::vector<std::string> arguments;
    arguments.reserve(list.size());
    for (const auto& argument : list) arguments.push_back(json::toString(argument));
    value = RemovalKind::command(tool, std::move(arguments));
}

}  // namespace korvane
