#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <set>

#include "app/MainWindow.h"
#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/RootView.h"
#include "app/frame/TopBar.h"
#include "app/kit/KitButton.h"
#include "app/kit/ScaleReveal.h"
#include "app/screens/AppListModel.h"
#include "app/screens/AppRowDelegate.h"
#include "app/screens/ApplicationsView.h"
#include "app/screens/ReviewView.h"
#include "app/state/ApplicationsState.h"
#include "app/state/DeveloperState.h"
#include "app/state/FolderScanState.h"
#include "app/theme/AppFont.h"
#include "app/theme/AppMotion.h"
#include "tests/app/kit/ShownWhole.h"
#include "tests/app/state/FlowFixture.h"
#include "tests/explorer/LinuxHomeSupport.h"

namespace korvane {
namespace {

using Mode = AppState::Mode;
using Section = AppState::GeneralSection;

// Lets the queued layouts run.
void layOut() {
    for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
}

// The window over twelve large items, all chosen (the widest count and figures
// the developer page gets), a folder scan of the home, and two applications
// in it, each with a wide figure left behind.
class NarrowWindowTest : public testing::FlowFixture {
protected:
    NarrowWindowTest() {
        AppMotion::setJumpToEnd(true);
        installed_.appImage("Applications/Tessera.AppImage", 20'000'000);
        installed_.leftover(".config/Tessera", 98'700'000);
        installed_.appImage("Applications/Photo Studio Suite Professional Edition.AppImage", 3'000'000);
        installed_.leftover(".cache/Photo Studio Suite Professional Edition", 5'500'000);
        makeUninstaller_ = [places = installed_.places()] {
            return std::make_unique<AppUninstaller>(std::vector<std::string>{}, places);
        };
    }
    ~NarrowWindowTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    void open() {
        launch({"--screen", "explore", "--mode", "developer"});
        window_ = std::make_unique<MainWindow>(state());
        window_->bringToFront();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        std::vector<CleanupCandidate> candidates;
        std::set<UUID> everything;
        for (int i = 0; i < 12; ++i) {
            const std::string project = "project-" + std::to_string(i);
            candidates.emplace_back(
                UUID::random(), CleanupCategory::node, "node.modules", "Project Dependencies", project,
                at("Projects/" + project + "/node_modules"), 9'876'543'210, SafetyLevel::safe, "reason",
                std::nullopt, std::nullopt, DetailMap{}, RemovalKind::path());
            everything.insert(candidates.back().id);
        }
        state().developer().setScan(
            ScanResult({}, 1, {CategoryResult(CleanupCategory::node, 118'518'518'520, candidates)},
                       VolumeInfo(999'000'000'000, 123'450'000'000), {}));
        state().developer().setSelection(everything);
        ASSERT_EQ(state().developer().selection().size(), 12u);
        state().folderScan().scanFolder(home_);
        ASSERT_TRUE(testing::waitUntil([&] { return state().folderScan().generalRoot() != nullptr; }));
    }

    ExploreLayout& layout() { return *window_->rootView()->exploreLayout(); }
    TopBar& bar() { return *layout().topBar(); }
    template <typename Page>
    Page& show(Mode mode, Section section = Section::explore) {
        state().preferences().setMode(mode);
        state().navigation().setGeneralSection(section);
        layOut();
        auto* page = qobject_cast<Page*>(layout().canvasPage());
        EXPECT_NE(page, nullptr);
        return *page;
    }

public:
    // Each check at the window's present size; `at` names the size.
    void canvasPagesShowTheirFiguresWhole(const std::string& at) {
        auto& developer = show<DeveloperCanvasPage>(Mode::developer);
        testing::expectShownWhole(*developer.header(), at + "developer header");
        testing::expectShownWhole(*developer.footer(), at + "developer footer");
        testing::expectShownWhole(*show<GeneralCanvasPage>(Mode::general).header(), at + "general header");
    }

    void applicationRowsShowTheirFiguresWhole(const std::string& at) {
        auto& apps = show<ApplicationsView>(Mode::general, Section::apps);
        ASSERT_TRUE(testing::waitUntil([&] {
            return !state().applications().isScanningApps() && apps.list()->model()->rowCount() == 2;
        }));
        QCoreApplication::processEvents();
        const auto* model = qobject_cast<AppListModel*>(apps.list()->model());
        const auto* rows = qobject_cast<AppRowDelegate*>(apps.list()->itemDelegate());
        ASSERT_NE(rows, nullptr);
        for (int row = 0; row < model->rowCount(); ++row) {
            const QRect rect = apps.list()->visualRect(model->index(row, 0));
            const AppRowContent& content = model->row(row);
            ASSERT_TRUE(content.leftBehind);
            const AppRowDelegate::TextBoxes boxes = rows->textBoxes(rect, content);
            const auto whole = [&](const QRect& box, const QFont& font, const std::string& text) {
                EXPECT_GE(box.width(), QFontMetrics(font).horizontalAdvance(QString::fromStdString(text)))
                    << at << text;
                EXPECT_TRUE(rect.contains(box)) << at << text;
            };
            whole(boxes.total, AppFont::font(11), content.total);
            whole(boxes.leftBehind, AppFont::small(), *content.leftBehind);
            EXPECT_FALSE(boxes.total.intersects(boxes.leftBehind)) << at;
        }
    }

    // Drilled in two levels, the bar keeps the crumbs nearest the node on show
    // whole; only the first one shown may be cut short.
    void crumbsNearestTheNodeOnShowStayWhole(const std::string& at) {
        show<DeveloperCanvasPage>(Mode::developer);
        state().navigation().focusOn(state().navigation().visibleTree().children.front().children.front().id);
        layOut();
        const std::vector<QPushButton*> crumbs = bar().crumbButtons();
        ASSERT_EQ(crumbs.size(), 3u);
        bool first = true;
        for (QPushButton* crumb : crumbs) {
            if (!crumb->isVisible()) continue;
            EXPECT_TRUE(crumb->width() >= crumb->sizeHint().width() || first)
                << at << crumb->accessibleName().toStdString();
            first = false;
        }
        EXPECT_GE(crumbs.back()->width(), crumbs.back()->sizeHint().width()) << at << "the node on show";
        state().navigation().focusOn(state().navigation().visibleTree().id);
    }

    // The filter opened from its button, with a count and the clear button,
    // keeps its parts apart and moves nothing below the bar.
    void theFilterKeepsItsPartsApart(const std::string& at) {
        show<DeveloperCanvasPage>(Mode::developer);
        const int barHeight = bar().height();
        bar().filterButton()->click();
        QTest::keyClicks(bar().filterField(), QStringLiteral("zzz"));
        layOut();
        EXPECT_EQ(bar().height(), barHeight) << at << "the page moved";
        QWidget* capsule = bar().filterCapsule();
        std::vector<QRect> parts;
        for (QWidget* part : {static_cast<QWidget*>(bar().filterField()), bar().badgeReveal()->content(),
                              bar().clearReveal()->content()}) {
            const QRect box(part->mapTo(capsule, QPoint(0, 0)), part->size());
            EXPECT_TRUE(capsule->rect().contains(box)) << at << part->metaObject()->className();
            for (const QRect& other : parts) EXPECT_FALSE(box.intersects(other)) << at;
            parts.push_back(box);
        }
        state().navigation().setSearchText({});
        bar().setFocus();
        layOut();
    }

    // Without room for its column, the inspector opens over the window, no taller than it.
    void theInspectorPopoverStaysWithinTheWindow(const std::string& at) {
        show<DeveloperCanvasPage>(Mode::developer);
        QTest::mouseClick(bar().inspectorToggle(), Qt::LeftButton);
        const QWidget* popover = bar().inspectorPopover();
        ASSERT_NE(popover, nullptr);
        const QRect windowOnScreen(window_->mapToGlobal(QPoint(0, 0)), window_->size());
        EXPECT_TRUE(windowOnScreen.contains(popover->geometry())) << at;
        QTest::mouseClick(bar().inspectorToggle(), Qt::LeftButton);
    }

    // The review hangs within the window, its actions in view (the list scrolls).
    void theReviewKeepsItsActionsInTheWindow(const std::string& at) {
        show<DeveloperCanvasPage>(Mode::developer);
        state().navigation().setSheet(AppState::Sheet::review);
        auto* review = window_->sheetDialog() ? window_->sheetDialog()->findChild<ReviewView*>() : nullptr;
        ASSERT_NE(review, nullptr);
        layOut();
        const QRect content(window_->rootView()->mapToGlobal(QPoint(0, 0)), window_->rootView()->size());
        for (const KitButton* button : {review->cleanButton(), review->cancelButton()}) {
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            EXPECT_TRUE(content.contains(onScreen)) << at << button->title().toStdString();
        }
        state().navigation().setSheet(std::nullopt);
    }

protected:
    testing::LinuxHome installed_{tree_};
    std::unique_ptr<MainWindow> window_;
};

TEST_F(NarrowWindowTest, NothingThatMustShowWholeIsCutInTheSmallestWindowsUp) {
    open();
    using Check = void (NarrowWindowTest::*)(const std::string&);
    const std::pair<const char*, Check> checks[] = {
        {"pages", &NarrowWindowTest::canvasPagesShowTheirFiguresWhole},
        {"applications", &NarrowWindowTest::applicationRowsShowTheirFiguresWhole},
        {"crumbs", &NarrowWindowTest::crumbsNearestTheNodeOnShowStayWhole},
        {"filter", &NarrowWindowTest::theFilterKeepsItsPartsApart},
        {"inspector", &NarrowWindowTest::theInspectorPopoverStaysWithinTheWindow},
        {"review", &NarrowWindowTest::theReviewKeepsItsActionsInTheWindow},
    };
    for (const QSize size : {QSize(720, 560), QSize(1024, 700)}) {
        window_->resize(size);
        layOut();
        for (const auto& [name, check] : checks) {
            SCOPED_TRACE(name);
            (this->*check)(std::to_string(size.width()) + " ");
        }
    }
}

}  // namespace
}  // namespace korvane
