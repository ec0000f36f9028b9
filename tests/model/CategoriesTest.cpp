#include "core/model/Categories.h"

#include <algorithm>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/Json.h"

namespace korvane {
namespace {

TEST(CategoriesTest, CategoryTextFormsMatchExactly) {
    EXPECT_EQ(cleanupCategoryFromRawValue("reactNative"), CleanupCategory::reactNative);
    EXPECT_FALSE(cleanupCategoryFromRawValue("ReactNative"));
    EXPECT_FALSE(cleanupCategoryFromRawValue("react-native"));
    EXPECT_FALSE(cleanupCategoryFromRawValue(""));
    EXPECT_FALSE(cleanupCategoryFromRawValue("Docker"));
    for (auto category : allCleanupCategories())
        EXPECT_EQ(cleanupCategoryFromRawValue(rawValue(category)), category);
}

TEST(CategoriesTest, DisplayOrderDiffersFromDeclarationOrder) {
    auto all = allCleanupCategories();
    EXPECT_EQ(all.front(), CleanupCategory::xcode);
    EXPECT_EQ(all[2], CleanupCategory::node);
    std::vector<CleanupCategory> sorted(all.begin(), all.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](auto a, auto b) { return sortOrder(a) < sortOrder(b); });
    std::vector<CleanupCategory> expected = {
        CleanupCategory::xcode,     CleanupCategory::docker,  CleanupCategory::reactNative,
        CleanupCategory::flutter,   CleanupCategory::node,    CleanupCategory::cocoapods,
        CleanupCategory::android,   CleanupCategory::gradle,  CleanupCategory::toolchains,
    };
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(title(CleanupCategory::node), "Node.js");
    EXPECT_EQ(title(CleanupCategory::reactNative), "React Native");
    EXPECT_EQ(symbolName(CleanupCategory::toolchains), "wrench.and.screwdriver.fill");
}

TEST(CategoriesTest, SafetyLevelsAreOrderedIntegers) {
    EXPECT_EQ(safetyLevelFromRawValue(0), SafetyLevel::safe);
    EXPECT_EQ(safetyLevelFromRawValue(2), SafetyLevel::dangerous);
    EXPECT_FALSE(safetyLevelFromRawValue(3));
    EXPECT_FALSE(safetyLevelFromRawValue(-1));
    EXPECT_LT(SafetyLevel::safe, SafetyLevel::caution);
    EXPECT_LT(SafetyLevel::caution, SafetyLevel::dangerous);
    EXPECT_EQ(std::max(SafetyLevel::safe, SafetyLevel::caution), SafetyLevel::caution);
    EXPECT_EQ(title(SafetyLevel::safe), "Safe to remove");
    EXPECT_EQ(title(SafetyLevel::caution), "Review recommended");
    EXPECT_EQ(title(SafetyLevel::dangerous), "Protected");
}

TEST(CategoriesTest, ToolsAndDisposals) {
    EXPECT_EQ(commandName(ExternalTool::simctl), "xcrun simctl");
    EXPECT_EQ(rawValue(ExternalTool::simctl), "simctl");
    EXPECT_EQ(programName(ExternalTool::simctl), "xcrun");
    EXPECT_EQ(programName(ExternalTool::docker), "docker");
    EXPECT_TRUE(leadingArguments(ExternalTool::docker).empty());
    EXPECT_EQ(disposalFromRawValue("delete"), Disposal::delete_);
    EXPECT_FALSE(disposalFromRawValue("Trash"));
    EXPECT_EQ(title(Disposal::trash), "Move to Trash");
    EXPECT_EQ(title(Disposal::delete_), "Delete permanently");
}

TEST(CategoriesTest, CommandRemovalStartsTheProgramWithItsLeadingArgument) {
    auto removal = RemovalKind::command(ExternalTool::simctl, {"delete", "unavailable"});
    EXPECT_EQ(removal.programArguments(), (std::vector<std::string>{"simctl", "delete", "unavailable"}));
    EXPECT_EQ(removal.commandLine(), "xcrun simctl delete unavailable");
}

TEST(CategoriesTest, RemovalKindEquality) {
    EXPECT_EQ(RemovalKind::path(), RemovalKind::path());
    EXPECT_EQ(RemovalKind::command(ExternalTool::docker, {"a", "b"}), RemovalKind::command(ExternalTool::docker, {"a", "b"}));
    EXPECT_NE(RemovalKind::command(ExternalTool::docker, {"a", "b"}), RemovalKind::command(ExternalTool::docker, {"b", "a"}));
    EXPECT_NE(RemovalKind::command(ExternalTool::docker, {}), RemovalKind::command(ExternalTool::brew, {}));
    EXPECT_NE(RemovalKind::path(), RemovalKind::command(ExternalTool::docker, {}));
}

TEST(CategoriesTest, EveryEnumerationValueRoundTripsThroughJson) {
    for (auto value : allCleanupCategories()) EXPECT_EQ(decodeJson<CleanupCategory>(nlohmann::json(value)), value);
    for (auto value : allSafetyLevels()) EXPECT_EQ(decodeJson<SafetyLevel>(nlohmann::json(value)), value);
    for (auto value : allExternalTools()) EXPECT_EQ(decodeJson<ExternalTool>(nlohmann::json(value)), value);
    for (auto value : allDisposals()) EXPECT_EQ(decodeJson<Disposal>(nlohmann::json(value)), value);
    EXPECT_EQ(nlohmann::json(SafetyLevel::caution), nlohmann::json(1));
    EXPECT_EQ(nlohmann::json(CleanupCategory::reactNative), nlohmann::json("reactNative"));
}

TEST(CategoriesTest, EnumerationJsonIsStrict) {
    EXPECT_FALSE(decodeJson<SafetyLevel>(nlohmann::json(3)));
    EXPECT_FALSE(decodeJson<SafetyLevel>(nlohmann::json(1.5)));
    EXPECT_FALSE(decodeJson<SafetyLevel>(nlohmann::json("1")));
    EXPECT_FALSE(decodeJson<CleanupCategory>(nlohmann::json("Docker")));
    EXPECT_FALSE(decodeJson<CleanupCategory>(nlohmann::json(1)));
    EXPECT_FALSE(decodeJson<ExternalTool>(nlohmann::json("xcrun")));
}

TEST(CategoriesTest, RemovalKindJsonForms) {
    auto path = nlohmann::json::parse(R"({"path":{}})");
    EXPECT_EQ(nlohmann::json(RemovalKind::path()), path);
    EXPECT_EQ(decodeJson<RemovalKind>(path), RemovalKind::path());

    auto command = RemovalKind::command(ExternalTool::simctl, {"delete", "unavailable"});
    auto encoded = nlohmann::json(command);
    EXPECT_EQ(encoded, nlohmann::json::parse(R"({"command":{"tool":"simctl","arguments":["delete","unavailable"]}})"));
    EXPECT_EQ(decodeJson<RemovalKind>(encoded), command);

    // Unrelated keys are ignored.
    EXPECT_EQ(decodeJson<RemovalKind>(nlohmann::json::parse(R"({"path":{},"other":1})")), RemovalKind::path());
}

TEST(CategoriesTest, RemovalKindNeedsExactlyOneKnownKey) {
    for (const char* text : {R"({})", R"({"other":{}})", R"({"path":{},"command":{"tool":"docker","arguments":[]}})"}) {
        RemovalKind removal;
        try {
            from_json(nlohmann::json::parse(text), removal);
            ADD_FAILURE() << text;
        } catch (const JsonError& error) {
            EXPECT_STREQ(error.what(), "Invalid number of keys found, expected one.") << text;
        }
    }
    EXPECT_FALSE(decodeJson<RemovalKind>(nlohmann::json::parse(R"({"path":1})")));
    EXPECT_FALSE(decodeJson<RemovalKind>(nlohmann::json::parse(R"({"command":{"tool":"docker"}})")));
    EXPECT_FALSE(decodeJson<RemovalKind>(nlohmann::json::parse(R"({"command":{"arguments":[]}})")));
    EXPECT_FALSE(decodeJson<RemovalKind>(nlohmann::json::parse(R"({"command":{"tool":"git","arguments":[]}})")));
    EXPECT_FALSE(decodeJson<RemovalKind>(nlohmann::json::parse(R"({"command":{"tool":"docker","arguments":[1]}})")));
}

}  // namespace
}  // namespace korvane
