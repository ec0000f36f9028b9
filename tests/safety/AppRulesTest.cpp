#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/safety/FlatpakUninstall.h"
#include "core/safety/SafetyPolicy.h"
#include "core/system/Paths.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using Installation = FlatpakUninstall::Installation;

TEST(FlatpakUninstallTest, ApplicationIDs) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"org.gimp.GIMP", true},
        {"com.github.user_name.App-Name", true},
        {"org.example.app2", true},
        {"org.gimp", false},   // two parts
        {"org..GIMP", false},  // an empty part
        {"org.gimp.GIMP.", false},
        {".org.gimp.GIMP", false},
        {"--help.x.y", false},  // would read as an option
        {"org.-x.y", false},
        {"org.2x.y", false},  // a part beginning with a digit
        {"org.gimp.GI MP", false},
        {"org.gimp.GIMP/../x", false},
        {"org.gimp.GIMP\n", false},
        {"org.gimp.\xc3\xa9", false},
        {"", false},
        {"a.b." + std::string(250, 'c'), true},
        {"a.b." + std::string(252, 'c'), false},  // longer than 255 bytes
    };
    for (const auto& [id, valid] : cases) EXPECT_EQ(FlatpakUninstall::isValidApplicationID(id), valid) << id;
}

TEST(FlatpakUninstallTest, OnlyTheExactUninstallOfAValidIDIsAllowed) {
    EXPECT_EQ(FlatpakUninstall::removal("org.x.App", Installation::user).arguments,
              (std::vector<std::string>{"uninstall", "--noninteractive", "--user", "org.x.App"}));
    EXPECT_EQ(FlatpakUninstall::removal("org.x.App", Installation::system).arguments[2], "--system");
    EXPECT_TRUE(FlatpakUninstall::isAllowed(FlatpakUninstall::removal("org.x.App", Installation::user)));
    EXPECT_TRUE(FlatpakUninstall::isAllowed(FlatpakUninstall::removal("org.x.App", Installation::system)));

    const std::vector<RemovalKind> refused = {
        FlatpakUninstall::removal("org.x", Installation::user),
        FlatpakUninstall::removal("--all", Installation::user),
        RemovalKind::command(ExternalTool::flatpak, {"uninstall", "--noninteractive", "--user"}),
        RemovalKind::command(ExternalTool::flatpak, {"uninstall", "--noninteractive", "--all", "org.x.App"}),
        RemovalKind::command(ExternalTool::flatpak, {"uninstall", "--user", "--noninteractive", "org.x.App"}),
        RemovalKind::command(ExternalTool::flatpak,
                             {"uninstall", "--noninteractive", "--user", "org.x.App", "--delete-data"}),
        RemovalKind::command(ExternalTool::flatpak, {"remove", "--noninteractive", "--user", "org.x.App"}),
        RemovalKind::command(ExternalTool::docker, {"uninstall", "--noninteractive", "--user", "org.x.App"}),
        RemovalKind::path(),
    };
    for (const auto& removal : refused)
        EXPECT_FALSE(FlatpakUninstall::isAllowed(removal)) << removal.commandLine();
}

// The leftover rule may reach into "~/.config" by exactly one level, and no
// other rule may reach into it at all.
class AppLeftoverRuleTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(home); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }

    SafetyPolicy::Verdict leftover(const std::string& relative) const {
        return SafetyPolicy::check(home + "/" + relative, "apps.leftovers", RemovalKind::path());
    }

    testing::TempTree tree;
    std::string home = tree.folder("home");
};

TEST_F(AppLeftoverRuleTest, AdmitsAnEntryDirectlyInsideConfigAndNothingElseThere) {
    const std::string containsConfig = "Contains \u201C.config\u201D, which Korvane never removes";
    tree.folder("home/.config/org.x.App/sub");
    tree.file("home/.config/Code/User/settings.json", 10);
    EXPECT_TRUE(leftover(".config/org.x.App").isAllowed());
    EXPECT_TRUE(leftover(".config/a name with spaces\nand a line break").isAllowed());
    EXPECT_TRUE(SafetyPolicy::verdictForPath(home + "/.config/org.x.App").isAllowed());
    // The rule's shape stops deeper paths; the name test stops every other rule.
    EXPECT_FALSE(leftover(".config/org.x.App/sub").isAllowed());
    EXPECT_FALSE(leftover(".config/Code/User").isAllowed());
    EXPECT_EQ(
        SafetyPolicy::check(home + "/.config/org.x.App", "general.userChoice", RemovalKind::path()).reason(),
        containsConfig);
    EXPECT_EQ(
        SafetyPolicy::check(home + "/.config/Code/User", "general.userChoice", RemovalKind::path()).reason(),
        containsConfig);
    EXPECT_EQ(SafetyPolicy::verdict(home + "/.config/org.x.App").reason(), containsConfig);
    EXPECT_EQ(SafetyPolicy::verdictForPath(home + "/.config/Code/User").reason(), containsConfig);
    // "~/.config" itself, and the protected names inside it, stay refused.
    EXPECT_FALSE(leftover(".config").isAllowed());
    EXPECT_FALSE(leftover(".config/gcloud").isAllowed());
    EXPECT_FALSE(leftover(".config/.git").isAllowed());
    EXPECT_FALSE(leftover(".local/share/.config").isAllowed());
}

TEST_F(AppLeftoverRuleTest, RefusesLinksRepositoriesAndTheDesktopsOwnFolders) {
    const std::string shared = "The desktop and every application share this folder";
    const std::string trash = "This is the Trash, which Korvane never removes";
    tree.folder("home/.ssh");
    tree.folder("home/elsewhere/data");
    tree.symlink("home/.config/to-ssh", home + "/.ssh");
    tree.symlink("home/.config/to-etc", "/etc");
    tree.symlink("home/.config/to-data", home + "/elsewhere/data");
    tree.folder("home/.config/dotfiles/.git");
    EXPECT_EQ(leftover(".config/to-ssh").reason(), "Resolves to a protected location");
    EXPECT_EQ(leftover(".config/to-etc").reason(), "Resolves to a protected location");
    // The link itself goes, never what it leads to.
    EXPECT_TRUE(leftover(".config/to-data").isAllowed());
    EXPECT_EQ(leftover(".config/dotfiles").reason(), "Looks like a source repository");
    for (const char* place : {".config/", ".local/share/", ".cache/", ".local/state/"})
        for (const char* name : {"autostart", "Trash", "applications", "flatpak", "Korvane", "mimeapps.list"})
            EXPECT_EQ(leftover(std::string(place) + name).reason(),
                      place + std::string(name) == ".local/share/Trash" ? trash : shared)
                << place << name;
    EXPECT_TRUE(leftover(".var/app/flatpak").isAllowed());
}

TEST_F(AppLeftoverRuleTest, AdmittedWhereHomeIsReachedThroughALink) {
    const std::string real = tree.folder("real-home");
    tree.folder("real-home/.config/org.x.App");
    const std::string linked = tree.symlink("linked-home", real);
    Paths::setHomeForTesting(linked);
    EXPECT_TRUE(SafetyPolicy::check(linked + "/.config/org.x.App", "apps.leftovers", RemovalKind::path())
                    .isAllowed());
    tree.symlink("real-home/.config/to-ssh", real + "/.ssh");
    tree.folder("real-home/.ssh");
    EXPECT_FALSE(
        SafetyPolicy::check(linked + "/.config/to-ssh", "apps.leftovers", RemovalKind::path()).isAllowed());
}

}  // namespace
}  // namespace korvane
