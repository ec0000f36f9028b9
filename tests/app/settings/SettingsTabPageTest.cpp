#include <gtest/gtest.h>

#include <QToolButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "app/kit/PaletteEnvironment.h"
#include "app/settings/SettingsForm.h"
#include "app/settings/SettingsTabPage.h"

namespace korvane {
namespace {

// A tab with one list of paths, counting its restyles and the paths its rows
// ask to remove.
class PathsTab : public SettingsTabPage {
public:
    PathsTab() : list_(new QVBoxLayout) {
        auto* rows = new QWidget;
        rows->setLayout(list_);
        setSections({rows});
    }
    void showPaths(const std::vector<PathRow>& paths) {
        showPathRows(*list_, paths, [this](const std::string& path) { removed.push_back(path); });
    }
    std::vector<PathRowView*> rows() const { return pathRows(*list_); }

    int restyles = 0;
    std::vector<std::string> removed;

protected:
    void restyle() override { ++restyles; }

private:
    QVBoxLayout* list_;
};

std::vector<std::string> pathsOf(const std::vector<PathRowView*>& rows) {
    std::vector<std::string> paths;
    for (const PathRowView* row : rows) paths.push_back(row->path());
    return paths;
}

TEST(SettingsTabPage, PathRowsAreMadeAgainOnlyWhenThePathsDiffer) {
    struct Case {
        const char* name;
        std::vector<PathRow> before, after;
        bool keepsRows;
    };
    const std::vector<PathRow> two = {{"/home/u/a", "~/a"}, {"/srv/b", "/srv/b"}};
    const Case cases[] = {
        {"same paths", two, two, true},
        {"same paths, other shown text", two, {{"/home/u/a", "a"}, {"/srv/b", "b"}}, true},
        {"one more", two, {{"/home/u/a", "~/a"}, {"/srv/b", "/srv/b"}, {"/c", "/c"}}, false},
        {"one fewer", two, {{"/srv/b", "/srv/b"}}, false},
        {"other order", two, {{"/srv/b", "/srv/b"}, {"/home/u/a", "~/a"}}, false},
        {"none left", two, {}, false},
    };
    for (const auto& c : cases) {
        PathsTab tab;
        tab.showPaths(c.before);
        const auto before = tab.rows();
        tab.showPaths(c.after);
        const auto after = tab.rows();
        EXPECT_EQ(after == before, c.keepsRows) << c.name;
        std::vector<std::string> expected;
        for (const auto& row : c.keepsRows ? c.before : c.after) expected.push_back(row.path);
        EXPECT_EQ(pathsOf(after), expected) << c.name;
    }
}

TEST(SettingsTabPage, ARowsButtonAsksForItsStoredPathNotTheShownText) {
    PathsTab tab;
    tab.showPaths({{"/home/u/odd\nname", "~/odd\nname"}, {"/srv/b", "/srv/b"}});
    tab.rows()[0]->removeButton()->click();
    EXPECT_EQ(tab.removed, std::vector<std::string>{"/home/u/odd\nname"});
}

TEST(SettingsTabPage, APaletteChangeRestylesTheTab) {
    PathsTab tab;
    const int before = tab.restyles;
    setEnvironmentPalette(&tab, ThemeID::graphite);
    EXPECT_GT(tab.restyles, before);
}

}  // namespace
}  // namespace korvane
