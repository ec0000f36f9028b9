#include <gtest/gtest.h>
#include <unistd.h>

#include "app/state/AppState.h"
#include "app/state/LaunchArguments.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Screen = LaunchArguments::Screen;

LaunchArguments arguments(std::vector<std::string> list) { return LaunchArguments(std::move(list)); }

TEST(LaunchArgumentsTest, ValueIsTheElementAfterTheFirstExactFlag) {
    struct Case {
        std::vector<std::string> rest;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{"--theme", "nord", "--theme", "iron"}, "nord"},
        {{"--mode", "developer", "--theme"}, std::nullopt},  // last element: no value
        {{"--Theme", "nord"}, std::nullopt},
        {{"-theme", "nord"}, std::nullopt},
        {{"--theme=nord"}, std::nullopt},
        {{"--theme", "--mode"}, "--mode"},  // the next element whatever it is
        {{"--theme", ""}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(arguments(c.rest).value("theme"), c.value) << ::testing::PrintToString(c.rest);
}

TEST(LaunchArgumentsTest, RawValuesParseExactly) {
    // clang-format off
    const std::pair<const char*, Screen> screens[] = {
        {"onboarding", Screen::onboarding}, {"scanning", Screen::scanning}, {"explore", Screen::explore},
        {"cleaning", Screen::cleaning}, {"finished", Screen::finished}, {"review", Screen::review},
        {"history", Screen::history}, {"settings", Screen::settings},
        {"first-run-developer", Screen::firstRunDeveloper}, {"first-run-home", Screen::firstRunHome},
    };
    // clang-format on
    ASSERT_EQ(allLaunchScreens().size(), std::size(screens));
    for (const auto& [text, screen] : screens)
        EXPECT_EQ(arguments({"--screen", text}).screen(), screen) << text;
    for (const char* bad : {"Review", "first_run_home", "firstRunHome", "", "explore "})
        EXPECT_EQ(arguments({"--screen", bad}).screen(), std::nullopt) << bad;

    for (const auto mode : allModes()) EXPECT_EQ(modeFromRawValue(rawValue(mode)), mode);
    for (const auto section : allGeneralSections())
        EXPECT_EQ(generalSectionFromRawValue(rawValue(section)), section);
    for (const auto canvas : allCanvasModes()) EXPECT_EQ(canvasModeFromRawValue(rawValue(canvas)), canvas);
    for (const char* text : {"General", "developer ", "", "Strata"}) {
        EXPECT_FALSE(modeFromRawValue(text)) << text;
        EXPECT_FALSE(canvasModeFromRawValue(text)) << text;
    }
    EXPECT_FALSE(generalSectionFromRawValue("large_files"));
}

TEST(LaunchArgumentsTest, FolderExpandsALeadingTildeAndMakesRelativePathsAbsolute) {
    testing::TempTree tree;
    const std::string home = tree.folder("home");
    const std::string work = tree.folder("work");
    Paths::setHomeForTesting(home);
    char previous[4096];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(work.c_str()), 0);

    const std::pair<const char*, std::string> cases[] = {
        {"~", home},
        {"~/Projects/", home + "/Projects"},
        {"/srv/data/../media", "/srv/media"},
        {"/tmp/a~b", "/tmp/a~b"},
        {"./x/../y", work + "/y"},
        {"a/~", work + "/a/~"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(arguments({"--folder", value}).folder(), expected) << value;
    EXPECT_EQ(arguments({"--folder"}).folder(), std::nullopt);

    ASSERT_EQ(::chdir(previous), 0);
    Paths::setHomeForTesting(std::nullopt);
}

}  // namespace
}  // namespace korvane
