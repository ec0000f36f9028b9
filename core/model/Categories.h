#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

// The closed vocabularies every part of the core speaks: developer-cache
// categories, safety levels, external tools, removal kinds and disposals.
// Each has exactly one table of text forms in Categories.cpp.

namespace korvane {

enum class CleanupCategory : std::uint8_t { xcode, docker, node, android, gradle, cocoapods, reactNative, flutter, toolchains };

// Declaration order (not display order).
const std::array<CleanupCategory, 9>& allCleanupCategories();
std::string_view rawValue(CleanupCategory category);
std::optional<CleanupCategory> cleanupCategoryFromRawValue(std::string_view text);
std::string_view title(CleanupCategory category);
std::string_view symbolName(CleanupCategory category);
// Display order key: sorting ascending gives Xcode, Docker, React Native,
// Flutter, Node.js, CocoaPods, Android, Gradle, Toolchains.
int sortOrder(CleanupCategory category);

// Ordered by strictness: safe < caution < dangerous.
enum class SafetyLevel : std::uint8_t { safe = 0, caution = 1, dangerous = 2 };

const std::array<SafetyLevel, 3>& allSafetyLevels();
int rawValue(SafetyLevel level);
std::optional<SafetyLevel> safetyLevelFromRawValue(long long value);
std::string_view title(SafetyLevel level);

enum class ExternalTool { docker, simctl, brew, flatpak };

const std::array<ExternalTool, 4>& allExternalTools();
std::string_view rawValue(ExternalTool tool);
std::optional<ExternalTool> externalToolFromRawValue(std::string_view text);
// The command word shown to the user ("xcrun simctl").
std::string_view commandName(ExternalTool tool);
// The program started for the tool ("xcrun") and the arguments placed before
// the removal's own ("simctl").
std::string_view programName(ExternalTool tool);
std::vector<std::string> leadingArguments(ExternalTool tool);

enum class Disposal { trash, delete_ };

const std::array<Disposal, 2>& allDisposals();
std::string_view rawValue(Disposal disposal);
std::optional<Disposal> disposalFromRawValue(std::string_view text);
std::string_view title(Disposal disposal);

// How a finding is removed: by its path, or by running an external tool.
struct RemovalKind {
    enum class Case { path, command };

    Case kind = Case::path;
    ExternalTool tool = ExternalTool::docker;  // meaningful for command only
    std::vector<std::string> arguments;        // meaningful for command only

    static RemovalKind path() { return {}; }
    static RemovalKind command(ExternalTool tool, std::vector<std::string> arguments);

    bool isPath() const { return kind == Case::path; }
    bool isCommand() const { return kind == Case::command; }

    // The full argument list given to `programName(tool)`: the tool's leading
    // arguments followed by this removal's own.
    std::vector<std::string> programArguments() const;
    // "xcrun simctl delete unavailable" — for messages.
    std::string commandLine() const;

    friend bool operator==(const RemovalKind& a, const RemovalKind& b);
};

// JSON: categories, tools and disposals as their text form, safety levels as
// their integer; a removal kind as {"path": {}} or
// {"command": {"tool": "...", "arguments": [...]}}. A value outside the
// tables fails the decoding.
void to_json(nlohmann::json& j, CleanupCategory value);
void from_json(const nlohmann::json& j, CleanupCategory& value);
void to_json(nlohmann::json& j, SafetyLevel value);
void from_json(const nlohmann::json& j, SafetyLevel& value);
void to_json(nlohmann::json& j, ExternalTool value);
void from_json(const nlohmann::json& j, ExternalTool& value);
void to_json(nlohmann::json& j, Disposal value);
void from_json(const nlohmann::json& j, Disposal& value);
void to_json(nlohmann::json& j, const RemovalKind& value);
void from_json(const nlohmann::json& j, RemovalKind& value);

}  // namespace korvane
