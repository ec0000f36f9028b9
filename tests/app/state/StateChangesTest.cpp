#include <gtest/gtest.h>

#include <QObject>
#include <functional>

#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class StateChangesTest : public testing::FlowFixture {};

// A screen that follows several parts redraws once a step, however many of
// its parts the step touches, and not at all for a part it does not follow.
TEST_F(StateChangesTest, AFollowerOfSeveralPartsHearsEachStepOnce) {
    AppState& state = launch();
    const struct {
        const char* step;
        std::function<void()> run;
        int calls;
    } cases[] = {
        {"a folder scan starts: mode and folder scan in one batch",
         [&] { state.folderScan().scanFolder(home_); }, 1},
        {"one field of one followed part", [&] { state.folderScan().setScanRoot("/elsewhere"); }, 1},
        {"a part not followed", [&] { state.navigation().setSheet(Sheet::history); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        QObject follower;
        int calls = 0;
        followChanges(follower, {&state.preferences(), &state.folderScan()}, [&] { ++calls; });
        c.run();
        EXPECT_EQ(calls, c.calls);
    }
    ASSERT_TRUE(testing::waitUntil([&] { return !state.folderScan().isScanningFolder(); }));
}

}  // namespace
}  // namespace korvane
