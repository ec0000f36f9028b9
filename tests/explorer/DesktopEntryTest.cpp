#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/explorer/DesktopEntry.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

TEST(DesktopEntryTest, ProgramOfAnExecLine) {
    struct Case {
        std::string exec;
        std::optional<std::string> program;
    };
    const std::vector<Case> cases = {
        {"/home/u/Applications/Foo.AppImage %U", "/home/u/Applications/Foo.AppImage"},
        {"\"/home/u/My Apps/Foo Bar.AppImage\" --no-sandbox %F", "/home/u/My Apps/Foo Bar.AppImage"},
        {"\"/home/u/a \\\"quoted\\\" name.AppImage\"", "/home/u/a \"quoted\" name.AppImage"},
        {"env DESKTOPINTEGRATION=1 APPIMAGELAUNCHER_DISABLE=1 /home/u/Apps/x.AppImage",
         "/home/u/Apps/x.AppImage"},
        {"env /home/u/Apps/x.AppImage", "/home/u/Apps/x.AppImage"},
        {"   \t/opt/tool  ", "/opt/tool"},
        {"\"/home/u/unclosed.AppImage", std::nullopt},
        {"", std::nullopt},
        {"env A=1", std::nullopt},
        {"\"\" %U", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(DesktopEntry::program(c.exec), c.program) << c.exec;
}

TEST(DesktopEntryTest, ReadsTheMainGroupOnly) {
    const auto entry = DesktopEntry::parse(
        "# a comment\n"
        "[Desktop Entry]\n"
        "Name[de]=Werkzeug\n"
        "Name = Tool\\sOne\n"
        "Name=Second name\n"
        "Exec=\"/home/u/Apps/Tool.AppImage\" %U\r\n"
        "Icon=tool\n"
        "X-AppImage-Version=2.1\n"
        "[Desktop Action New]\n"
        "Name=New Window\n"
        "Exec=/elsewhere --new\n"
        "TryExec=/elsewhere\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Tool One");
    EXPECT_EQ(entry->exec, "\"/home/u/Apps/Tool.AppImage\" %U");
    EXPECT_EQ(entry->tryExec, std::nullopt);
    EXPECT_EQ(entry->icon, "tool");
    EXPECT_EQ(entry->version, "2.1");
    EXPECT_EQ(entry->launchedPaths(), (std::vector<std::string>{"/home/u/Apps/Tool.AppImage"}));
}

TEST(DesktopEntryTest, WhatIsNotAnEntry) {
    for (const char* text : {"", "Name=Tool\n", "[Desktop Action x]\nName=Tool\n", "[Desktop Entry]\nName=\n",
                             "[Desktop Entry]\nExec=/x\n", "\xff\xfe binary"})
        EXPECT_EQ(DesktopEntry::parse(text), std::nullopt) << text;
}

TEST(DesktopEntryTest, LaunchedPathsAreAbsoluteStandardisedAndEachOnce) {
    DesktopEntry entry;
    entry.name = "x";
    entry.tryExec = "/home/u/Apps//x.AppImage";
    entry.exec = "/home/u/Apps/./x.AppImage %U";
    EXPECT_EQ(entry.launchedPaths(), (std::vector<std::string>{"/home/u/Apps/x.AppImage"}));
    entry.tryExec = "x.AppImage";
    entry.exec = "flatpak run org.x.Y";
    EXPECT_TRUE(entry.launchedPaths().empty());
}

TEST(DesktopEntryTest, ReadRefusesWhatIsNotARegularFile) {
    testing::TempTree tree;
    const std::string entry = tree.text("a.desktop", "[Desktop Entry]\nName=A\n");
    tree.folder("folder.desktop");
    EXPECT_EQ(DesktopEntry::read(entry)->name, "A");
    EXPECT_EQ(DesktopEntry::read(tree.path("folder.desktop")), std::nullopt);
    EXPECT_EQ(DesktopEntry::read(tree.path("missing.desktop")), std::nullopt);
}

}  // namespace
}  // namespace korvane
