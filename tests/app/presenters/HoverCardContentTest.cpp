#include <gtest/gtest.h>

#include "app/presenters/HoverCardContent.h"

using namespace korvane;

TEST(HoverCardContent, ReadsAsOneSentenceForScreenReaders) {
    struct Case {
        HoverCardContent content;
        std::string text;
    };
    HoverCardContent full{CleanupCategory::node, "node_modules", SafetyLevel::caution, "1.2", "GB", "\u00B7 5.0%",
                          "1 GB reclaimable", "3 weeks ago"};
    HoverCardContent bare{std::nullopt, "a, b", std::nullopt, "0", "KB", "\u00B7 <0.1%", std::nullopt, std::nullopt};
    for (const auto& c : {Case{full, "node_modules, 1.2 GB, 5.0% of the view, Review recommended, 1 GB reclaimable, "
                                     "3 weeks ago"},
                          Case{bare, "a, b, 0 KB, <0.1% of the view"}})
        EXPECT_EQ(hoverCardDescription(c.content), c.text);
}
