#include <gtest/gtest.h>

#include <string>

#include "core/text/Json.h"

namespace korvane {
namespace {

TEST(JsonNestingTest, CountsOnlyTheBracketsOutsideStrings) {
    struct Case {
        std::string text;
        int maxDepth;
        bool within;
    };
    const Case cases[] = {
        {"", 0, true},
        {"12", 0, true},
        {"[]", 0, false},
        {"[]", 1, true},
        {R"({"a": [1, {"b": []}]})", 4, true},
        {R"({"a": [1, {"b": []}]})", 3, false},
        {"[[], [], []]", 2, true},  // siblings are no deeper
        {R"(["[[[[", "{{{{"])", 1, true},
        {R"(["a \"[[[[ b"])", 1, true},   // an escaped quote keeps the string open
        {R"(["a \\", [[]]])", 2, false},  // an escaped backslash does not
        {std::string(100000, '['), 32, false},
        {std::string(32, '[') + std::string(32, ']'), 32, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(json::nestingWithin(c.text, c.maxDepth), c.within) << c.text.substr(0, 40) << " " << c.maxDepth;
}

}  // namespace
}  // namespace korvane
