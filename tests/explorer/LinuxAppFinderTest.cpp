#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/explorer/LinuxAppFinder.h"
#include "tests/explorer/LinuxHomeSupport.h"

namespace korvane {
namespace {

using Found = LinuxAppFinder::Found;
using Installation = FlatpakUninstall::Installation;

class LinuxAppFinderTest : public ::testing::Test {
protected:
    testing::TempTree tree;
    testing::LinuxHome fake{tree};
    LinuxAppFinder finder{fake.places()};
};

TEST_F(LinuxAppFinderTest, AppImagesAreNamedByTheDesktopEntryThatStartsThem) {
    const std::string krita = fake.appImage("Applications/krita-5.2-x86_64.AppImage");
    const std::string odd = fake.appImage("Apps/My App (beta)\nnew.AppImage");
    const std::string plain = fake.appImage(".local/bin/tool.AppImage");
    const std::string entry =
        fake.desktopEntry("org.kde.krita.desktop",
                          "Name=Krita\nExec=\"" + krita + "\" %F\nIcon=krita\nX-AppImage-Version=5.2\n");
    // A line break in a value is written as an escape.
    std::string escaped = odd;
    escaped.replace(escaped.find('\n'), 1, "\\n");
    const std::string oddEntry =
        fake.desktopEntry("appimagekit-odd.desktop", "Name=Odd\nTryExec=" + escaped + "\nExec=sh -c true\n");
    // Not starting any of them, or not an AppImage at all.
    fake.desktopEntry("other.desktop", "Name=Other\nExec=/usr/bin/other\n");
    tree.file("home/Applications/notes.txt", 10);
    tree.folder("home/Applications/folder.AppImage");
    tree.symlink("home/Apps/link.AppImage", krita);
    tree.file("home/Apps/.AppImage", 10);

    const auto found = finder.appImages();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, krita);
    EXPECT_EQ(found[0].name, "Krita");
    EXPECT_EQ(found[0].identifier, "org.kde.krita");
    EXPECT_EQ(found[0].version, "5.2");
    EXPECT_EQ(found[0].icon, "krita");
    EXPECT_EQ(found[0].desktopEntry, entry);
    EXPECT_EQ(found[1].path, plain);  // folder order: ~/Applications, ~/.local/bin, ~/Apps
    EXPECT_EQ(found[1].name, "tool");
    EXPECT_EQ(found[1].desktopEntry, std::nullopt);
    EXPECT_EQ(found[2].path, odd);
    EXPECT_EQ(found[2].name, "Odd");
    EXPECT_EQ(found[2].desktopEntry, oddEntry);
    for (const auto& app : found) EXPECT_EQ(app.kind, Found::Kind::appImage);
}

TEST_F(LinuxAppFinderTest, FlatpaksOfBothInstallationsWithNameVersionAndIcon) {
    const std::string gimp = fake.flatpak("home/.local/share/flatpak", "org.gimp.GIMP", "GIMP", "2.10.38");
    const std::string vlc = fake.flatpak("system-flatpak", "org.videolan.VLC", "");
    // Neither is an installed application: a bad id, a link, no deployment.
    tree.folder("home/.local/share/flatpak/app/--help/current/active/files");
    tree.symlink("home/.local/share/flatpak/app/org.x.Linked", vlc);
    tree.folder("home/.local/share/flatpak/app/org.x.Undeployed");
    // A deployment that says it is another application.
    tree.text("system-flatpak/app/org.x.Liar/current/active/metadata", "[Application]\nname=org.gimp.GIMP\n");

    const auto user = finder.flatpaks(Installation::user);
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(user[0].kind, Found::Kind::flatpak);
    EXPECT_EQ(user[0].path, gimp);
    EXPECT_EQ(user[0].name, "GIMP");
    EXPECT_EQ(user[0].identifier, "org.gimp.GIMP");
    EXPECT_EQ(user[0].version, "2.10.38");  // the newest release
    EXPECT_EQ(user[0].icon, "org.gimp.GIMP");
    EXPECT_EQ(user[0].iconFile,
              gimp + "/current/active/export/share/icons/hicolor/128x128/apps/org.gimp.GIMP.png");
    EXPECT_EQ(user[0].installation, Installation::user);

    const auto system = finder.flatpaks(Installation::system);
    ASSERT_EQ(system.size(), 1u);
    EXPECT_EQ(system[0].path, vlc);
    EXPECT_EQ(system[0].name, "org.videolan.VLC");  // no desktop entry: the id
    EXPECT_EQ(system[0].version, std::nullopt);
    EXPECT_EQ(system[0].installation, Installation::system);

    EXPECT_EQ(finder.find().size(), 2u);
    EXPECT_EQ(finder.flatpakIDs(), (std::vector<std::string>{"org.gimp.GIMP", "org.x.Undeployed",
                                                             "org.videolan.VLC", "org.x.Liar"}));
    EXPECT_FALSE(finder.isInstalledTwice("org.gimp.GIMP"));
    fake.flatpak("system-flatpak", "org.gimp.GIMP", "GIMP");
    EXPECT_TRUE(finder.isInstalledTwice("org.gimp.GIMP"));
}

TEST_F(LinuxAppFinderTest, MissingPlacesFindNothing) {
    LinuxAppFinder nowhere(
        {{tree.path("none")}, tree.path("none"), tree.path("none"), "", {tree.path("none")}});
    EXPECT_TRUE(nowhere.find().empty());
    EXPECT_TRUE(nowhere.flatpakIDs().empty());
}

}  // namespace
}  // namespace korvane
