#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/canvases/CanvasFactory.h"

namespace korvane {
namespace {

TEST(CanvasFactory, DepthPerCanvasAndIdentityByModeAndFilterText) {
    struct Case {
        int setting, sunburst, flame, mindMap;
    };
    for (const auto& c : {Case{1, 1, 5, 2}, Case{2, 2, 6, 2}, Case{3, 3, 7, 3}}) {
        EXPECT_EQ(canvasDepth(CanvasMode::sunburst, c.setting), c.sunburst);
        EXPECT_EQ(canvasDepth(CanvasMode::flame, c.setting), c.flame);
        EXPECT_EQ(canvasDepth(CanvasMode::mindMap, c.setting), c.mindMap);
        for (const auto mode :
             {CanvasMode::strata, CanvasMode::ageMap, CanvasMode::treemap, CanvasMode::folders,
              CanvasMode::bubbles, CanvasMode::bars, CanvasMode::table})
            EXPECT_EQ(canvasDepth(mode, c.setting), 0) << rawValue(mode);
    }
    EXPECT_EQ(canvasIdentity(CanvasMode::mindMap, " xc "), "mindMap- xc ");
    EXPECT_NE(canvasIdentity(CanvasMode::treemap, "x"), canvasIdentity(CanvasMode::treemap, "x "));
    std::set<std::string> identities;
    for (auto mode : allCanvasModes()) identities.insert(canvasIdentity(mode, ""));
    EXPECT_EQ(identities.size(), 10u);
}

}  // namespace
}  // namespace korvane
