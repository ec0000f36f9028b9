#include <gtest/gtest.h>

#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

using Route = AppState::Route;

class AppStateLaunchTest : public testing::FlowFixture {};

TEST_F(AppStateLaunchTest, EachArgumentAloneAndInvalidValuesIgnored) {
    struct Case {
        std::vector<std::string> arguments;
        std::function<void(AppState&)> check;
    };
    const Case cases[] = {
        {{"--theme", "nord"}, [](AppState& s) { EXPECT_EQ(s.themeID(), ThemeID::nord); }},
        {{"--theme", "Nord"}, [](AppState& s) { EXPECT_EQ(s.themeID(), ThemeID::paper); }},
        {{"--theme"}, [](AppState& s) { EXPECT_EQ(s.themeID(), ThemeID::paper); }},
        {{"--section", "largeFiles"},
         [](AppState& s) { EXPECT_EQ(s.generalSection(), AppState::GeneralSection::largeFiles); }},
        {{"--section", "LargeFiles"},
         [](AppState& s) { EXPECT_EQ(s.generalSection(), AppState::GeneralSection::explore); }},
        {{"--canvas", "treemap"},
         [](AppState& s) { EXPECT_EQ(s.canvasMode(), AppState::CanvasMode::treemap); }},
        {{"--canvas", "Treemap"},
         [](AppState& s) { EXPECT_EQ(s.canvasMode(), AppState::CanvasMode::strata); }},
        {{"--mode", "developer"}, [](AppState& s) { EXPECT_EQ(s.mode(), AppState::Mode::developer); }},
        {{"--mode", "General"}, [](AppState& s) { EXPECT_EQ(s.mode(), AppState::Mode::general); }},
        {{"--screen", "nowhere"}, [](AppState& s) { EXPECT_EQ(s.route(), Route::onboarding); }},
        {{"--screen", "onboarding"}, [](AppState& s) { EXPECT_EQ(s.route(), Route::onboarding); }},
        {{"--screen", "explore"},
         [](AppState& s) {
             EXPECT_EQ(s.route(), Route::explore);
             EXPECT_EQ(s.scan()->projectCount, 62);
             EXPECT_EQ(s.selectedID(), "root");
             EXPECT_EQ(s.selection().size(), 3u);
         }},
        {{"--screen", "scanning"},
         [](AppState& s) {
             EXPECT_EQ(s.route(), Route::scanning);
             EXPECT_FALSE(s.scan());  // only the progress shows the placeholder scan
             EXPECT_EQ(s.scanProgress().phase, ScanProgress::Phase::scanning(CleanupCategory::node));
             EXPECT_DOUBLE_EQ(s.scanProgress().fraction, 0.55);
             EXPECT_EQ(s.scanProgress().completed.size(), 3u);
         }},
        {{"--screen", "finished"},
         [](AppState& s) {
             EXPECT_EQ(s.route(), Route::finished);
             EXPECT_EQ(s.lastReport()->outcomes.size(), 5u);
             EXPECT_TRUE(s.scan());
         }},
        {{"--screen", "first-run-developer"}, [](AppState& s) { EXPECT_EQ(s.route(), Route::onboarding); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        settings_.values.clear();
        c.check(launch(c.arguments));
    }
}

TEST_F(AppStateLaunchTest, ThemeAndModeChoicesPersist) {
    launch({"--theme", "solar", "--mode", "developer"});
    EXPECT_EQ(settings_.values.at("theme"), "solar");
    EXPECT_EQ(settings_.values.at("mode"), "developer");
    AppState& relaunched = launch();
    EXPECT_EQ(relaunched.themeID(), ThemeID::solar);
    EXPECT_EQ(relaunched.mode(), AppState::Mode::developer);
}

TEST_F(AppStateLaunchTest, FolderWithTildeScansInGeneralModeAndLaterModeWins) {
    tree_.file("home/Projects/a/big.bin", 100'000);
    AppState& state = launch({"--mode", "developer", "--folder", "~/Projects"});
    EXPECT_EQ(state.scanRoot(), at("Projects"));
    EXPECT_EQ(state.route(), Route::explore);
    EXPECT_EQ(state.mode(), AppState::Mode::developer);  // --mode is read after --folder
    ASSERT_TRUE(testing::waitUntil([&] { return !state.isScanningFolder(); }));
    ASSERT_TRUE(state.generalResult());
    EXPECT_EQ(state.generalResult()->root.id, at("Projects"));

    AppState& general = launch({"--folder", "~/Projects"});
    EXPECT_EQ(general.mode(), AppState::Mode::general);
    EXPECT_EQ(settings_.values.at("onboarding.completed"), "true");
}

TEST_F(AppStateLaunchTest, CombinedArgumentsApplyInOrder) {
    AppState& state = launch({"--screen", "cleaning", "--canvas", "sunburst", "--theme", "iron", "--section",
                              "search", "--mode", "developer"});
    EXPECT_EQ(state.route(), Route::cleaning);
    EXPECT_EQ(state.canvasMode(), AppState::CanvasMode::sunburst);
    EXPECT_EQ(state.themeID(), ThemeID::iron);
    EXPECT_EQ(state.generalSection(), AppState::GeneralSection::search);
    EXPECT_EQ(state.mode(), AppState::Mode::developer);
    EXPECT_EQ(state.cleanupProgress().total, 26);
}

TEST_F(AppStateLaunchTest, SheetScreensShowTheSavedScanAndOpenTheSheetLater) {
    ScanResult saved({}, 1, {CategoryResult(CleanupCategory::gradle, 10, {})}, {}, {});
    HistoryStore(tree_.folder("history")).saveLastScan(saved);
    const std::pair<const char*, AppState::Sheet> screens[] = {
        {"review", AppState::Sheet::review},
        {"history", AppState::Sheet::history},
        {"settings", AppState::Sheet::settings},
    };
    for (const auto& [screen, sheet] : screens) {
        AppState& state = launch({"--screen", screen});
        EXPECT_EQ(state.route(), Route::explore);
        EXPECT_EQ(state.scan()->categories, saved.categories);
        EXPECT_EQ(state.sheet(), std::nullopt);
        EXPECT_TRUE(testing::waitUntil([&] { return state.sheet() == sheet; }, 3));
    }
}

TEST_F(AppStateLaunchTest, FirstRunScreensStartTheirScanAfterAMoment) {
    AppState& developer = launch({"--screen", "first-run-developer"});
    ASSERT_TRUE(testing::waitUntil([&] { return developer.route() == Route::explore; }, 3));
    EXPECT_EQ(developer.mode(), AppState::Mode::developer);

    tree_.file("home/file.bin", 100'000);
    AppState& home = launch({"--screen", "first-run-home", "--section", "stats"});
    EXPECT_EQ(home.route(), Route::onboarding);
    ASSERT_TRUE(testing::waitUntil([&] { return home.generalResult().has_value(); }, 5));
    EXPECT_EQ(home.scanRoot(), home_);
    EXPECT_EQ(home.generalSection(), AppState::GeneralSection::explore);
    EXPECT_EQ(home.route(), Route::explore);
}

}  // namespace
}  // namespace korvane
