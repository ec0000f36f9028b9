#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/system/Paths.h"
#include "core/system/ToolPlaces.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::ScopedEnv;

class ToolPlacesTest : public ::testing::Test {
protected:
    ToolPlacesTest() { Paths::setHomeForTesting(home); }
    ~ToolPlacesTest() override { Paths::setHomeForTesting(std::nullopt); }

    testing::TempTree tree;
    std::string home = tree.folder("home");
};

TEST_F(ToolPlacesTest, TheCacheFolderIsTheEnvironmentsOnlyInsideTheHome) {
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {std::nullopt, home + "/.cache"},    {"", home + "/.cache"},
        {home + "/xdg", home + "/xdg"},      {home + "//xdg/./cache/", home + "/xdg/cache"},
        {home + "/a/../xdg", home + "/xdg"}, {home, home + "/.cache"},
        {home + "/..", home + "/.cache"},    {tree.path("beside"), home + "/.cache"},
        {"/var/cache", home + "/.cache"},    {"xdg", home + "/.cache"},
        {home + "/x*", home + "/.cache"},    {home + "-other/xdg", home + "/.cache"},
    };
    for (const auto& [value, expected] : cases) {
        ScopedEnv variable("XDG_CACHE_HOME", value);
        EXPECT_EQ(ToolPlaces::cacheHome(), expected) << value.value_or("unset");
    }
    ScopedEnv variable("XDG_CACHE_HOME", tree.path("elsewhere/home/xdg"));
    EXPECT_EQ(ToolPlaces::cacheHomeFor(tree.path("elsewhere/home")), tree.path("elsewhere/home/xdg"));
}

TEST_F(ToolPlacesTest, TheTemporaryFolderIsAnAbsoluteTmpdirElseTmp) {
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {std::nullopt, "/tmp"},
        {"", "/tmp"},
        {"relative", "/tmp"},
        {"/var/tmp/", "/var/tmp"},
        {"//run//user/1000/./", "/run/user/1000"},
    };
    for (const auto& [value, expected] : cases) {
        ScopedEnv variable("TMPDIR", value);
        EXPECT_EQ(ToolPlaces::temporaryDirectory(), expected) << value.value_or("unset");
    }
}

TEST_F(ToolPlacesTest, PlainPathsHoldNoPatternCharacter) {
    EXPECT_TRUE(ToolPlaces::isPlainPath("/home/user/.cache"));
    EXPECT_TRUE(ToolPlaces::isPlainPath("/home/user/odd name\nhere"));
    EXPECT_FALSE(ToolPlaces::isPlainPath("/home/*"));
    EXPECT_FALSE(ToolPlaces::isPlainPath("/home/**/x"));
    EXPECT_FALSE(ToolPlaces::isPlainPath("relative"));
    EXPECT_FALSE(ToolPlaces::isPlainPath(""));
    EXPECT_FALSE(ToolPlaces::isPlainPath(std::string("/home/a\0b", 9)));
}

}  // namespace
}  // namespace korvane
