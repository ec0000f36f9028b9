#include <gtest/gtest.h>
#include <unistd.h>

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
        const char* name;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {{}, "theme", std::nullopt},
        {{"--theme", "nord"}, "theme", "nord"},
        {{"--theme", "nord", "--theme", "iron"}, "theme", "nord"},
        {{"--mode", "developer", "--theme"}, "theme", std::nullopt},  // last element: no value
        {{"--Theme", "nord"}, "theme", std::nullopt},
        {{"-theme", "nord"}, "theme", std::nullopt},
        {{"--theme=nord"}, "theme", std::nullopt},
        {{"--theme", "--mode"}, "theme", "--mode"},  // the next element whatever it is
        {{"--theme", ""}, "theme", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.rest));
        EXPECT_EQ(arguments(c.rest).value(c.name), c.value);
    }
}

TEST(LaunchArgumentsTest, ScreensAreTheTenValuesExactly) {
    const std::pair<const char*, Screen> table[] = {
        {"onboarding", Screen::onboarding},
        {"scanning", Screen::scanning},
        {"explore", Screen::explore},
        {"cleaning", Screen::cleaning},
        {"finished", Screen::finished},
        {"review", Screen::review},
        {"history", Screen::history},
        {"settings", Screen::settings},
        {"first-run-developer", Screen::firstRunDeveloper},
        {"first-run-home", Screen::firstRunHome},
    };
    ASSERT_EQ(allLaunchScreens().size(), std::size(table));
    for (std::size_t i = 0; i < std::size(table); ++i) {
        const auto& [text, screen] = table[i];
        EXPECT_EQ(allLaunchScreens()[i], screen);
        EXPECT_EQ(rawValue(screen), text);
        EXPECT_EQ(arguments({"--screen", text}).screen(), screen);
    }
    for (const char* bad : {"Review", "first_run_home", "firstRunHome", "", "explore "})
        EXPECT_EQ(arguments({"--screen", bad}).screen(), std::nullopt) << bad;
    EXPECT_EQ(arguments({"--screen"}).screen(), std::nullopt);
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
        {"~/Projects", home + "/Projects"},
        {"~/Projects/", home + "/Projects"},
        {"/srv/data/../media", "/srv/media"},
        {"/tmp/a~b", "/tmp/a~b"},
        {"Projects", work + "/Projects"},
        {"./x/../y", work + "/y"},
        {"a/~", work + "/a/~"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(arguments({"--folder", value}).folder(), expected) << value;
    EXPECT_EQ(arguments({"--folder"}).folder(), std::nullopt);
    EXPECT_EQ(arguments({}).folder(), std::nullopt);

    ASSERT_EQ(::chdir(previous), 0);
    Paths::setHomeForTesting(std::nullopt);
}

}  // namespace
}  // namespace korvane
