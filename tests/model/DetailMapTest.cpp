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

}  // namespace
}  // namespace korvane
