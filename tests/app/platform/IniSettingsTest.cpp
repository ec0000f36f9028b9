#include <gtest/gtest.h>

#include "app/platform/IniSettings.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::ScopedEnv;
using testing::TempTree;

TEST(IniSettings, TheFileLivesInTheConfigFolder) {
    TempTree tree;
    Paths::setHomeForTesting(tree.root());
    {
        ScopedEnv config("XDG_CONFIG_HOME", tree.path("config"));
        EXPECT_EQ(IniSettings::defaultPath(), tree.path("config/Korvane/Korvane.conf"));
    }
    for (const std::optional<std::string>& unusable :
         {std::optional<std::string>(), std::optional<std::string>("rel")}) {
        ScopedEnv config("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(IniSettings::defaultPath(), tree.path(".config/Korvane/Korvane.conf"));
    }
    Paths::setHomeForTesting(std::nullopt);
}

TEST(IniSettings, ValuesSurviveTheFileWhateverTheyHold) {
    TempTree tree;
    const std::string path = tree.path("Korvane/Korvane.conf");
    const std::vector<std::pair<std::string, std::string>> values = {
        {"scan.settings", R"({"excludedPaths":["/a, b;c=d","\"q\""],"noiseFloorBytes":5})"},
        {"automation.lastRun", "2024-03-04T10:00:00Z"},
        {"onboarding.completed", "true"},
        {"theme", "caf\u00e9 \u2014 \U0001F600"},
        {"lines", "one\ntwo\\three"},
        {"spaces", "  padded  "},
    };
    {
        IniSettings settings(path);
        for (const auto& [key, value] : values) settings.setValue(key, value);
        settings.setValue("cleanup.disposal", "trash");
        settings.remove("cleanup.disposal");
    }
    // Written through: a second reader sees everything without any flush by the first.
    IniSettings reopened(path);
    for (const auto& [key, value] : values) EXPECT_EQ(reopened.value(key), value) << key;
    EXPECT_FALSE(reopened.value("cleanup.disposal"));
    EXPECT_FALSE(reopened.value("missing"));
}

TEST(IniSettings, AHandWrittenListIsNotText) {
    TempTree tree;
    const std::string path = tree.text("Korvane.conf", "[General]\nmode=general, developer\ntheme=nord\n");
    IniSettings settings(path);
    EXPECT_FALSE(settings.value("mode"));
    EXPECT_EQ(settings.value("theme"), "nord");
}

}  // namespace
}  // namespace korvane
