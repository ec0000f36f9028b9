// The file manager's name from the desktop's default folder handler.

#include <gtest/gtest.h>

#include "app/platform/FileManagerName_linux.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::TempTree;

FileManagerName::Places places(const TempTree& tree, std::vector<std::string> desktops = {}) {
    return {.configHome = tree.path("config"),
            .configDirs = {tree.path("etc/xdg")},
            .dataHome = tree.path("data"),
            .dataDirs = {tree.path("usr/local/share"), tree.path("usr/share")},
            .desktops = std::move(desktops)};
}

void entry(TempTree& tree, const std::string& where, const std::string& name) {
    tree.text(where, "[Desktop Action new]\nName=New Window\n[Desktop Entry]\nType=Application\nName=" + name +
                         "\nName[de]=Dateien\n");
}

TEST(FileManagerName, TheDefaultHandlersNameInPrecedenceOrder) {
    struct Row {
        const char* what;
        std::vector<std::pair<std::string, std::string>> lists;  // file, its text
        std::vector<std::string> desktops;
        std::optional<std::string> expected;
    };
    const std::string gnome = "[Default Applications]\ninode/directory=org.gnome.Nautilus.desktop\n";
    const std::string kde = "[Default Applications]\ninode/directory=org.kde.dolphin.desktop;\n";
    const Row rows[] = {
        {"no list anywhere", {}, {}, std::nullopt},
        {"the system's list", {{"etc/xdg/mimeapps.list", gnome}}, {}, "Files"},
        {"the user's list wins", {{"etc/xdg/mimeapps.list", gnome}, {"config/mimeapps.list", kde}}, {}, "Dolphin"},
        {"the desktop's own list wins in one folder",
         {{"config/mimeapps.list", gnome}, {"config/kde-mimeapps.list", kde}},
         {"kde"},
         "Dolphin"},
        {"another desktop's list is not read", {{"config/kde-mimeapps.list", kde}}, {"gnome"}, std::nullopt},
        {"the deprecated place among the applications", {{"usr/share/applications/mimeapps.list", kde}}, {}, "Dolphin"},
        {"an entry that is not installed is passed over",
         {{"config/mimeapps.list", "[Default Applications]\ninode/directory=gone.desktop;org.kde.dolphin.desktop\n"}},
         {},
         "Dolphin"},
        {"only the default group counts",
         {{"config/mimeapps.list", "[Added Associations]\ninode/directory=org.kde.dolphin.desktop\n"}},
         {},
         std::nullopt},
        {"an id that climbs out of the folder",
         {{"config/mimeapps.list", "[Default Applications]\ninode/directory=../../evil.desktop\n"}},
         {},
         std::nullopt},
    };
    for (const Row& row : rows) {
        TempTree tree;
        entry(tree, "usr/share/applications/org.gnome.Nautilus.desktop", "Files");
        entry(tree, "data/applications/org.kde.dolphin.desktop", "Dolphin");
        entry(tree, "evil.desktop", "Evil");
        for (const auto& [file, text] : row.lists) tree.text(file, text);
        EXPECT_EQ(FileManagerName::find(places(tree, row.desktops)), row.expected) << row.what;
    }
}

TEST(FileManagerName, EntryNamesThatCannotTitleAButtonAreRefused) {
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        {"[Desktop Entry]\nName = Thunar File Manager \n", "Thunar File Manager"},
        {"# Name=Commented\n[Desktop Entry]\nExec=x\n", std::nullopt},
        {"[Desktop Entry]\nName=\n", std::nullopt},
        {"[Desktop Entry]\nName=Tab\there\n", std::nullopt},
        {"[Desktop Entry]\nName=" + std::string(200, 'x') + "\n", std::nullopt},
        {"[Other]\nName=Other\n", std::nullopt},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(FileManagerName::entryName(text), expected) << text;
}

}  // namespace
}  // namespace korvane
