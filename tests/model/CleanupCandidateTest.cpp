#include "core/model/CleanupCandidate.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/text/Json.h"
#include "tests/model/ModelSamples.h"

namespace korvane {
namespace {

CleanupCandidate full() {
    return CleanupCandidate(*UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), CleanupCategory::xcode,
                            "xcode.derivedData", "Derived data", "MyApp-abc", "/home/u/Library/My App/DerivedData",
                            1234567, SafetyLevel::caution, "Build output", "Rebuilt on next build",
                            samples::date(1709993100), {{"Project", "MyApp"}, {"Last build", "3 days ago"}},
                            RemovalKind::path());
}

TEST(CleanupCandidateTest, SelectedByDefaultFollowsSafetyUnlessGiven) {
    auto safe = samples::candidate(CleanupCategory::node, "r", 1, SafetyLevel::safe);
    auto caution = samples::candidate(CleanupCategory::node, "r", 1, SafetyLevel::caution);
    EXPECT_TRUE(safe.isSelectedByDefault);
    EXPECT_FALSE(caution.isSelectedByDefault);
    CleanupCandidate forced(UUID::random(), CleanupCategory::node, "r", "g", "t", "/x", 1, SafetyLevel::caution, "why",
                            std::nullopt, std::nullopt, {}, RemovalKind::path(), true);
    EXPECT_TRUE(forced.isSelectedByDefault);
}

TEST(CleanupCandidateTest, JsonUsesFieldNamesAndFileUrls) {
    auto j = nlohmann::json(full());
    EXPECT_EQ(j.at("id"), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(j.at("category"), "xcode");
    EXPECT_EQ(j.at("ruleID"), "xcode.derivedData");
    EXPECT_EQ(j.at("path"), "file:///home/u/Library/My%20App/DerivedData");
    EXPECT_EQ(j.at("size"), 1234567);
    EXPECT_EQ(j.at("safety"), 1);
    EXPECT_EQ(j.at("lastModified"), "2024-03-09T14:05:00Z");
    EXPECT_EQ(j.at("removal"), nlohmann::json::parse(R"({"path":{}})"));
    EXPECT_EQ(j.at("isSelectedByDefault"), false);
    EXPECT_EQ(j.size(), 14u);
    EXPECT_EQ(decodeJson<CleanupCandidate>(j), full());
}

TEST(CleanupCandidateTest, AbsentOptionalsAreLeftOutAndReadBack) {
    auto candidate = full();
    candidate.restoreHint.reset();
    candidate.lastModified.reset();
    candidate.removal = RemovalKind::command(ExternalTool::docker, {"builder", "prune", "-f"});
    auto j = nlohmann::json(candidate);
    EXPECT_FALSE(j.contains("restoreHint"));
    EXPECT_FALSE(j.contains("lastModified"));
    EXPECT_EQ(decodeJson<CleanupCandidate>(j), candidate);

    j["restoreHint"] = nullptr;  // null reads as absent
    EXPECT_EQ(decodeJson<CleanupCandidate>(j), candidate);
    EXPECT_FALSE(j.contains("prerequisite"));
}

TEST(CleanupCandidateTest, TheCandidateToWaitForIsKept) {
    auto candidate = full();
    candidate.prerequisite = *UUID::parse("0F3C1B58-1D25-4D4B-9C11-7A2E3B4C5D6E");
    auto j = nlohmann::json(candidate);
    EXPECT_EQ(j.at("prerequisite"), "0F3C1B58-1D25-4D4B-9C11-7A2E3B4C5D6E");
    EXPECT_EQ(decodeJson<CleanupCandidate>(j), candidate);
    j["prerequisite"] = "not an id";
    EXPECT_FALSE(decodeJson<CleanupCandidate>(j));
}

TEST(CleanupCandidateTest, EveryRequiredKeyIsRequired) {
    auto j = nlohmann::json(full());
    for (const char* key : {"id", "category", "ruleID", "groupTitle", "title", "path", "size", "safety", "reason",
                            "details", "removal", "isSelectedByDefault"}) {
        auto copy = j;
        copy.erase(key);
        EXPECT_FALSE(decodeJson<CleanupCandidate>(copy)) << key;
    }
}

TEST(CleanupCandidateTest, BadValuesFailTheDecoding) {
    auto j = nlohmann::json(full());
    auto broken = [&](const char* key, nlohmann::json value) {
        auto copy = j;
        copy[key] = std::move(value);
        return !decodeJson<CleanupCandidate>(copy);
    };
    EXPECT_TRUE(broken("id", "not-a-uuid"));
    EXPECT_TRUE(broken("safety", 3));
    EXPECT_TRUE(broken("category", "Xcode"));
    EXPECT_TRUE(broken("size", "12"));
    EXPECT_TRUE(broken("size", 1.5));
    EXPECT_TRUE(broken("size", 18446744073709551615ull));
    EXPECT_TRUE(broken("lastModified", "2024-03-09"));
    EXPECT_TRUE(broken("path", "/home/u/plain-path"));
    EXPECT_TRUE(broken("path", "file:///home/u/a%00b"));
    EXPECT_TRUE(broken("details", nlohmann::json::parse(R"({"a":1})")));
    EXPECT_TRUE(broken("isSelectedByDefault", 1));
    EXPECT_FALSE(decodeJsonText<CleanupCandidate>("{not json"));
    EXPECT_FALSE(decodeJsonText<CleanupCandidate>("[]"));
}

TEST(CleanupCandidateTest, FractionalSecondsAreAccepted) {
    auto j = nlohmann::json(full());
    j["lastModified"] = "2024-03-09T14:05:00.5Z";
    auto decoded = decodeJson<CleanupCandidate>(j);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->lastModified, samples::date(1709993100) + std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace korvane
