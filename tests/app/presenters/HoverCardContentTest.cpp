#include <gtest/gtest.h>

#include "app/presenters/HoverCardContent.h"

using namespace korvane;

TEST(HoverCardContent, ReadsAsOneSentenceForScreenReaders) {
    struct Case {
        HoverCardContent content;
        std::string text;
    };
    HoverCardContent full{
        CleanupCategory::node, "node_modules", SafetyLevel::caution,   "1.2", "GB", "\u00B7 5.0%",
        "1 GB reclaimable",    "3 weeks ago",  "Spans Days and Buried"};
    HoverCardContent bare{std::nullopt,   "a, b",       std::nullopt, "0",         "KB",
                          "\u00B7 <0.1%", std::nullopt, std::nullopt, std::nullopt};
    for (const auto& c :
         {Case{full,
               "node_modules, 1.2 GB, 5.0% of the view, Review recommended, 1 GB reclaimable, "
               "3 weeks ago, Spans Days and Buried"},
          Case{bare, "a, b, 0 KB, <0.1% of the view"}})
        EXPECT_EQ(hoverCardDescription(c.content), c.text);
}

TEST(HoverCardContent, ShareTexts) {
    struct Case {
        std::int64_t node, root;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {5, 100, "\u00B7 5.0%"}, {1234, 10000, "\u00B7 12%"}, {5, 10000, "\u00B7 <0.1%"}, {9996, 10000, "\u00B7 100%"},
        {7, 0, "\u00B7 <0.1%"}, {0, 100, "\u00B7 <0.1%"}, {1, 1000, "\u00B7 0.1%"},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(hoverCardShareText(c.node, c.root), c.text) << c.node;
}
