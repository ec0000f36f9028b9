#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/DetailMap.h"

namespace korvane {
namespace {

std::vector<std::string> keys(const DetailMap& details) {
    std::vector<std::string> result;
    for (const auto& [key, value] : details) result.push_back(key + "=" + value);
    return result;
}

// It stands in for a std::map: key order whatever the order of insertion,
// the first value kept on a repeated key, operator[] inserting in place.
TEST(DetailMapTest, BehavesLikeAnOrderedMap) {
    DetailMap details{{"State", "Booted"}, {"Items", "3"}, {"State", "Shutdown"}};
    EXPECT_EQ(keys(details), (std::vector<std::string>{"Items=3", "State=Booted"}));
    EXPECT_FALSE(details.emplace("Items", "4"));
    EXPECT_TRUE(details.emplace("Note", "n"));
    details["Archived"] = "Jan 5, 2024";
    details["Items"] += "0";
    EXPECT_EQ(keys(details), (std::vector<std::string>{"Archived=Jan 5, 2024", "Items=30", "Note=n", "State=Booted"}));
    EXPECT_EQ(details.count("Note"), 1u);
    EXPECT_EQ(details.find("Missing"), details.end());
    EXPECT_THROW(details.at("Missing"), std::out_of_range);
    EXPECT_EQ(details, (std::map<std::string, std::string>{
                           {"Archived", "Jan 5, 2024"}, {"Items", "30"}, {"Note", "n"}, {"State", "Booted"}}));
}

// A map over shared entries reads as any other; changing one copy changes
// neither the entries nor the other copies.
TEST(DetailMapTest, ACopyOfSharedEntriesChangesOnlyItself) {
    const DetailMap::Entries shared = {{"Items", "3"}};
    const DetailMap first = DetailMap::sharing(shared);
    DetailMap second = first;
    DetailMap moved = DetailMap::sharing(shared);
    DetailMap third = std::move(moved);
    second["Items"] = "4";
    third.emplace("Note", "n");
    EXPECT_EQ(keys(first), (std::vector<std::string>{"Items=3"}));
    EXPECT_EQ(keys(second), (std::vector<std::string>{"Items=4"}));
    EXPECT_EQ(keys(third), (std::vector<std::string>{"Items=3", "Note=n"}));
    EXPECT_EQ(shared, (DetailMap::Entries{{"Items", "3"}}));
    DetailMap cleared = first;
    cleared.clear();
    EXPECT_TRUE(cleared.empty());
    EXPECT_EQ(first.at("Items"), "3");
}

}  // namespace
}  // namespace korvane
