#include <gtest/gtest.h>

#include "app/canvases/layout/LabelFit.h"
#include "app/canvases/layout/SummaryNode.h"
#include "tests/app/canvases/layout/CanvasTrees.h"

using namespace korvane;
using namespace canvastest;

TEST(LabelFit, AShortenedNameReadsOnlyWithEnoughOfItLeft) {
    struct Case {
        const char* full;
        const char* elided;
        bool readable;
    };
    // clang-format off
    for (const auto& c : {Case{"libreoffice", "libreoffice", true}, Case{"libreoffice", "libr\u2026", true},
                          Case{"libreoffice", "lib\u2026", false}, Case{"1234.13", "1\u2026", false},
                          Case{"lib", "lib", true}, Case{"abc", "ab\u2026", false}, Case{"name", "", false},
                          Case{"ab", "a\u2026", false}, Case{"cache.5", "c\u20265", false},
                          Case{"98 smaller items", "98 \u2026ems", true}}) {
        // clang-format on
        EXPECT_EQ(isReadableElision(QString::fromUtf8(c.full), QString::fromUtf8(c.elided)), c.readable)
            << c.full << " → " << c.elided;
    }
}

TEST(SummaryNode, SumsBytesKeepsTheNewestDateAndIsKnownByItsID) {
    using std::chrono::hours;
    const auto now = std::chrono::system_clock::time_point(hours(1'000'000));
    const auto a = datedLeaf("/d/a", 40, now - hours(5));
    const auto b = datedLeaf("/d/b", 2, now - hours(1));
    const auto c = leaf("/d/c", 0);
    const StorageNode* nodes[] = {&a, &b, &c};
    const StorageNode summary = summaryNode("/d", nodes);
    EXPECT_EQ(summary.name, "3 smaller items");
    EXPECT_EQ(summary.bytes, 42);
    EXPECT_EQ(summary.lastModified, now - hours(1));
    EXPECT_FALSE(summary.path);
    EXPECT_TRUE(isSummaryNode(summary));
    EXPECT_FALSE(isSummaryNode(a));

    const StorageNode* many[1234];
    for (auto& node : many) node = &a;
    const StorageNode big = summaryNode("/d", many);
    EXPECT_EQ(big.name, "1,234 smaller items");
    EXPECT_EQ(big.bytes, 1234 * 40);
    EXPECT_NE(big.id, "/d");
}
