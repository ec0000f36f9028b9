#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>

#include "app/frame/SidebarView.h"
#include "app/kit/NameLines.h"
#include "core/model/UUID.h"
#include "tests/app/state/FlowFixture.h"

namespace korvane {
namespace {

class SidebarViewTest : public testing::FlowFixture {
protected:
    CleanupCandidate candidate(const char* rule, const char* title, std::int64_t size) {
        return CleanupCandidate(UUID::random(), CleanupCategory::toolchains, rule, "Editors", title,
                                at(title), size, SafetyLevel::safe, "Rebuilt", std::nullopt, std::nullopt, {},
                                RemovalKind::path());
    }
};

// Two groups of one title are told apart at the end of their names: a quick
// win shows a long name whole on two lines, in a row as tall as they are,
// also in a sidebar narrowed by its scroll bar.
TEST_F(SidebarViewTest, AQuickWinsLongNameIsShownWholeOnTwoLines) {
    launch();
    CategoryResult editors(CleanupCategory::toolchains, 0,
                           {candidate("jetbrains.caches", "JetBrains IDE caches", 17'000'000),
                            candidate("editors.caches", "VS Code cached data", 12'000'000),
                            candidate("editors.caches", "Cursor cached data", 3'000'000)});
    state().developer().showRestoredScan(
        ScanResult(std::chrono::system_clock::now(), 1, {editors}, VolumeInfo(), {}, 0, 0));
    SidebarView view(state().navigation(), state().developer(), state().desktop());
    view.resize(248, 300);
    view.show();
    for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
    int rows = 0;
    for (auto* row : view.findChildren<QPushButton*>()) {
        auto* name = row->findChild<NameLines*>();
        if (!name || !row->isVisible()) continue;
        ++rows;
        SCOPED_TRACE(name->wholeText().toStdString());
        EXPECT_TRUE(name->wholeText().startsWith(QStringLiteral("Editors (")));
        EXPECT_EQ(name->shownLines(name->width()).join(QLatin1Char(' ')), name->wholeText());
        EXPECT_GE(name->height(), name->heightForWidth(name->width()));
        EXPECT_TRUE(row->rect().contains(name->geometry()));
    }
    EXPECT_EQ(rows, 2);
}

}  // namespace
}  // namespace korvane
