#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVariantAnimation>
#include <functional>

#include "app/MainWindow.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/CanvasModeSwitcher.h"
#include "app/canvases/DeveloperCanvasPage.h"
#include "app/canvases/GeneralCanvasPage.h"
#include "app/canvases/StrataCanvas.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/RootView.h"
#include "app/frame/SidebarView.h"
#include "app/frame/TopBar.h"
#include "app/kit/ElidedLabel.h"
#include "app/kit/KitButton.h"
#include "app/kit/PillButton.h"
#include "app/kit/RailSection.h"
#include "app/kit/ShownToolTip.h"
#include "core/text/ByteFormat.h"
#include "tests/app/state/FlowFixture.h"

// The explore window on the demonstration scan: the frame's parts, the
// canvas host's identity rule, the Return key, and pictures to look at.

namespace korvane {
namespace {

using testing::waitUntil;

class ExploreFrameTest : public testing::FlowFixture {
protected:
    ExploreFrameTest() { AppMotion::setJumpToEnd(true); }
    ~ExploreFrameTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    ExploreLayout& open(QSize size = {1440, 900}) {
        launch({"--screen", "explore", "--mode", "developer"});
        window_ = std::make_unique<MainWindow>(state());
        window_->resize(size);
        window_->bringToFront();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::setActiveWindow(window_.get());
        QCoreApplication::processEvents();
        return *window_->rootView()->exploreLayout();
    }
    ExploreLayout& layout() { return *window_->rootView()->exploreLayout(); }
    DeveloperCanvasPage& page() { return *qobject_cast<DeveloperCanvasPage*>(layout().canvasPage()); }
    TopBar& bar() { return *layout().topBar(); }

    // Nested layouts settle over several rounds of posted events.
    static void settle() {
        for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
    }

    void press(QWidget* target, Qt::Key key) {
        QTest::keyClick(target, key);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<MainWindow> window_;
};

// Screen readers hear History and Settings as toggle buttons, pressed while
// their sheet is open, and the mode switch and the canvas switcher each as a
// tab list of one choice ("Treemap, selected, 3 of 10"); the arrows move the
// choice along a tab list as a click would.
TEST_F(ExploreFrameTest, ScreenReadersHearToggleButtonsAndTabLists) {
    open();
    auto* switcher = layout().findChild<CanvasModeSwitcher*>();
    ASSERT_NE(switcher, nullptr);
    struct Tabs {
        PillButton* chosen;
        int position;
        int count;
        QString name;
    };
    state().navigation().setCanvasMode(CanvasMode::treemap);
    for (const Tabs& tabs : {Tabs{bar().modePill(Mode::developer), 1, 2, QStringLiteral("Developer")},
                             Tabs{switcher->button(CanvasMode::treemap), 2, 10, QStringLiteral("Treemap")}}) {
        SCOPED_TRACE(tabs.name.toStdString());
        QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(tabs.chosen);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(tab->text(QAccessible::Name), tabs.name);
        EXPECT_TRUE(tab->state().selected);
        QAccessibleInterface* list = tab->parent();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->role(), QAccessible::PageTabList);
        EXPECT_EQ(list->childCount(), tabs.count);
        EXPECT_EQ(list->indexOfChild(tab), tabs.position);
        for (int i = 0; i < list->childCount(); ++i)
            EXPECT_EQ(list->child(i)->state().selected, i == tabs.position) << i;
    }

    // Tab reaches the chosen one only; Right chooses the next, End the last.
    PillButton* treemap = switcher->button(CanvasMode::treemap);
    EXPECT_EQ(treemap->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(switcher->button(CanvasMode::folders)->focusPolicy(), Qt::NoFocus);
    treemap->setFocus(Qt::TabFocusReason);
    press(treemap, Qt::Key_Right);
    EXPECT_EQ(state().navigation().canvasMode(), CanvasMode::folders);
    EXPECT_TRUE(switcher->button(CanvasMode::folders)->hasFocus());
    press(switcher->button(CanvasMode::folders), Qt::Key_End);
    EXPECT_EQ(state().navigation().canvasMode(), CanvasMode::table);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(switcher->button(CanvasMode::table))->state().selected);

    // A toggle is pressed while its sheet is open, though History is never drawn active.
    for (const auto& [sheet, settingsPressed, historyPressed] :
         {std::tuple{std::optional<Sheet>{}, false, false},
          std::tuple{std::optional(Sheet::settings), true, false},
          std::tuple{std::optional(Sheet::history), false, true}}) {
        state().navigation().setSheet(sheet);
        settle();
        for (const auto& [pill, pressed] : {std::pair{bar().settingsPill(), settingsPressed},
                                            std::pair{bar().historyPill(), historyPressed}}) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(pill);
            SCOPED_TRACE(face->text(QAccessible::Name).toStdString());
            EXPECT_EQ(face->role(), QAccessible::Button);
            EXPECT_TRUE(face->state().checkable);
            EXPECT_EQ(face->state().checked, pressed);
        }
    }
    state().navigation().setSheet(std::nullopt);
    settle();
}

TEST_F(ExploreFrameTest, DeveloperModeShowsTheBarTheSidebarAndTheStrata) {
    open();
    ASSERT_NE(qobject_cast<SidebarView*>(layout().sidebar()), nullptr);
    ASSERT_NE(qobject_cast<DeveloperCanvasPage*>(layout().canvasPage()), nullptr);
    auto* canvas = qobject_cast<StrataCanvas*>(page().drawing()->canvas());
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->accessibleName(), QStringLiteral("Strata"));
    EXPECT_FALSE(canvas->currentLayout().isEmpty());
    EXPECT_TRUE(bar().modePill(AppState::Mode::developer)->isActive());
    EXPECT_TRUE(bar().filterCapsule()->isVisible());
    ASSERT_EQ(bar().crumbButtons().size(), 1u);
    EXPECT_EQ(bar().crumbButtons()[0]->accessibleName(), QStringLiteral("Developer storage"));
}

TEST_F(ExploreFrameTest, ANewModeOrFilterGivesAFreshCanvasWhileADrillKeepsIt) {
    open();
    QPointer<CanvasBase> first = page().drawing()->canvas();
    // A drill (a category row focuses its node) keeps the canvas.
    const std::string category = state().developer().tree().children.front().id;
    state().navigation().select(std::string_view(category));
    QCoreApplication::processEvents();
    EXPECT_EQ(page().drawing()->canvas(), first.data());
    EXPECT_EQ(first->root()->id, category);
    EXPECT_EQ(bar().crumbButtons().size(), 2u);

    state().navigation().setCanvasMode(AppState::CanvasMode::strata);  // the same mode again
    EXPECT_EQ(page().drawing()->canvas(), first.data());

    state().navigation().setCanvasMode(AppState::CanvasMode::flame);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(page().drawing()->canvas(), nullptr);
    EXPECT_TRUE(first.isNull()) << "the old canvas is gone";
    EXPECT_EQ(page().drawing()->canvas()->mode(), AppState::CanvasMode::flame);
    EXPECT_EQ(page().drawing()->identity(), "flame-");

    QPointer<CanvasBase> second = page().drawing()->canvas();
    QTest::keyClicks(bar().filterField(), QStringLiteral("x"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(page().drawing()->identity(), "flame-x");
}

// The tree follows the filter's text however it changes, not only when typed:
// a screen reader or automation setting it, a paste, an undo.
TEST_F(ExploreFrameTest, TheFilterFollowsItsTextHoweverItChanges) {
    open();
    QLineEdit* filter = bar().filterField();
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(filter);
    ASSERT_NE(face, nullptr);
    struct Way {
        const char* name;
        std::function<void()> change;
        std::string text;
    };
    const Way ways[] = {
        {"typed", [&] { QTest::keyClicks(filter, QStringLiteral("no")); }, "no"},
        {"screen reader's value", [&] { face->setText(QAccessible::Value, QStringLiteral("node")); }, "node"},
        {"typed on", [&] { QTest::keyClicks(filter, QStringLiteral("x")); }, "nodex"},
        {"undone", [&] { filter->undo(); }, "node"},
        {"cleared", [&] { filter->clear(); }, ""},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        way.change();
        QCoreApplication::processEvents();
        EXPECT_EQ(filter->text().toStdString(), way.text);
        EXPECT_EQ(state().navigation().searchText(), way.text);
        EXPECT_EQ(page().drawing()->identity(),
                  std::string(rawValue(state().navigation().canvasMode())) + "-" + way.text);
    }
}

TEST_F(ExploreFrameTest, EachCanvasGetsItsDepthFromTheSetting) {
    open();
    struct Case {
        AppState::CanvasMode mode;
        int setting;
        int depth;
    };
    for (const Case& c : {Case{AppState::CanvasMode::sunburst, 1, 1}, Case{AppState::CanvasMode::flame, 1, 5},
                          Case{AppState::CanvasMode::mindMap, 1, 2}, Case{AppState::CanvasMode::mindMap, 3, 3},
                          Case{AppState::CanvasMode::flame, 2, 6}, Case{AppState::CanvasMode::strata, 2, 0}}) {
        state().navigation().setCanvasMode(c.mode);
        state().navigation().setSunburstDepth(c.setting);
        EXPECT_EQ(page().drawing()->canvas()->depth(), c.depth) << rawValue(c.mode) << " " << c.setting;
    }
    EXPECT_FALSE(page().content().showsDepth);
}

TEST_F(ExploreFrameTest, ReturnOpensTheReviewExceptWhileTypingInTheFilter) {
    open();
    state().developer().selectAllSafe();
    QCoreApplication::processEvents();
    ASSERT_TRUE(page().reviewButton()->isEnabled());

    QLineEdit* filter = bar().filterField();
    filter->setFocus();
    QTest::keyClicks(filter, QStringLiteral("node"));
    press(filter, Qt::Key_Return);
    EXPECT_FALSE(state().navigation().sheet()) << "Return in the filter starts no review";
    EXPECT_FALSE(filter->hasFocus()) << "Return leaves the field";
    const QWidget* now = QApplication::focusWidget();
    EXPECT_TRUE(now && now->isVisible() && !now->accessibleName().isEmpty()) << "for something seen and named";
    EXPECT_EQ(state().navigation().searchText(), "node") << "and keeps the text";

    press(window_.get(), Qt::Key_Return);
    EXPECT_EQ(state().navigation().sheet(), AppState::Sheet::review);
}

TEST_F(ExploreFrameTest, ReturnDoesNothingWithoutASelection) {
    open();
    state().developer().setSelection({});
    QCoreApplication::processEvents();
    EXPECT_FALSE(page().reviewButton()->isEnabled());
    press(window_.get(), Qt::Key_Return);
    EXPECT_FALSE(state().navigation().sheet());
}

TEST_F(ExploreFrameTest, TheInspectorToggleSlidesTheColumnWhenWideAndOpensThePopoverWhenNarrow) {
    open({1440, 900});
    QTest::mouseClick(bar().inspectorToggle(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(layout().showsInspector());
    EXPECT_EQ(bar().inspectorPopover(), nullptr);

    window_->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar().filterCapsule()->isVisible()) << "no filter below 1140 points";
    QTest::mouseClick(bar().inspectorToggle(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(layout().showsInspector()) << "the wish stays as it was";
    ASSERT_NE(bar().inspectorPopover(), nullptr);
    EXPECT_EQ(bar().inspectorPopover()->size(), QSize(296, 560));
    EXPECT_EQ(shownToolTip(*bar().inspectorToggle()), QStringLiteral("Show the inspector"));
}

// Narrow, the inspector column is hidden rather than squeezed: neither a
// screen reader nor Tab finds its buttons.
TEST_F(ExploreFrameTest, ANarrowWindowHidesTheInspectorFromTabAndScreenReaders) {
    for (const int width : {1000, 1440, 1000}) {
        open({width, 760});
        QWidget* inspector = layout().inspector();
        const bool wide = width >= 1140;
        EXPECT_EQ(layout().inspectorColumn()->isVisible(), wide) << width;
        EXPECT_EQ(inspector->isVisible(), wide) << width;
        bool reached = false;
        for (int step = 0; step < 120; ++step) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window_.get(), Qt::Key_Tab);
            if (QWidget* focused = QApplication::focusWidget(); focused && inspector->isAncestorOf(focused))
                reached = true;
        }
        EXPECT_EQ(reached, wide) << width;
    }
}

TEST_F(ExploreFrameTest, ClickingACrumbGoesBackUp) {
    open();
    state().navigation().select(std::string_view(state().developer().tree().children.front().id));
    QCoreApplication::processEvents();
    ASSERT_EQ(bar().crumbButtons().size(), 2u);
    QTest::mouseClick(bar().crumbButtons()[0], Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(state().navigation().focusedID());
    EXPECT_EQ(bar().crumbButtons().size(), 1u);
}

TEST_F(ExploreFrameTest, BackspaceAndAltUpLeaveTheFolderButNotTheTextBeingTyped) {
    open();
    const StorageNode& category = state().developer().tree().children.front();
    ASSERT_FALSE(category.children.empty());
    state().navigation().select(std::string_view(category.children.front().id));
    QCoreApplication::processEvents();
    press(window_.get(), Qt::Key_Backspace);
    EXPECT_EQ(state().navigation().focusedID(), category.id);

    QLineEdit* filter = bar().filterField();
    filter->setFocus();
    QTest::keyClicks(filter, QStringLiteral("ab"));
    press(filter, Qt::Key_Backspace);
    EXPECT_EQ(state().navigation().searchText(), "a");
    EXPECT_EQ(state().navigation().focusedID(), category.id) << "Backspace in the filter edits the text only";
    state().navigation().setSearchText({});
    window_->setFocus();
    QTest::keyClick(window_.get(), Qt::Key_Up, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(state().navigation().focusedID());
}

TEST_F(ExploreFrameTest, TheGeneralPageNamesTheFolderOnShowWithButtonsBackToEachFolderAbove) {
    open();
    FileTreeScanner::Result result;
    result.root.id = "/data";
    result.root.name = "/data";
    result.root.path = "/data";
    StorageNode a;
    a.id = a.path.emplace("/data/a & b");
    a.name = "a & b";
    StorageNode b;
    b.id = b.path.emplace("/data/a & b/c");
    b.name = "c";
    b.children.emplace_back().id = "/data/a & b/c/file";
    a.children.push_back(b);
    result.root.children.push_back(a);
    state().folderScan().setGeneralResult(result);
    state().preferences().setMode(AppState::Mode::general);
    QCoreApplication::processEvents();
    auto* general = qobject_cast<GeneralCanvasPage*>(layout().canvasPage());
    ASSERT_NE(general, nullptr);
    EXPECT_TRUE(general->crumbButtons().empty());

    state().navigation().focusOn("/data/a & b/c");
    QCoreApplication::processEvents();
    auto crumbs = general->crumbButtons();
    ASSERT_EQ(crumbs.size(), 2u);
    EXPECT_EQ(crumbs[1]->accessibleName(), QStringLiteral("a & b"));
    EXPECT_EQ(crumbs[1]->accessibleDescription(), QStringLiteral("Go to /data/a & b"));
    EXPECT_TRUE(crumbs[0]->isVisible());
    EXPECT_EQ(general->content().name, "c");

    press(window_.get(), Qt::Key_Backspace);
    EXPECT_EQ(state().navigation().focusedID(), "/data/a & b");
    ASSERT_EQ(general->crumbButtons().size(), 1u);
    state().navigation().focusOn("/data/a & b/c");
    QCoreApplication::processEvents();
    QTest::mouseClick(general->crumbButtons()[0], Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(state().navigation().focusedID()) << "the first crumb is the scan root";
    EXPECT_TRUE(general->crumbButtons().empty());
}

// The depth slider comes and goes with the canvas; the row it sits in must not.
TEST_F(ExploreFrameTest, SwitchingCanvasesNeverMovesTheCanvas) {
    open();
    using Mode = AppState::CanvasMode;
    for (const QSize size : {QSize(1180, 760), QSize(1440, 900), QSize(900, 700), QSize(760, 600)}) {
        window_->resize(size);
        state().navigation().setCanvasMode(Mode::strata);
        settle();
        const int top = page().drawing()->mapTo(window_.get(), QPoint()).y();
        for (const Mode mode : {Mode::sunburst, Mode::flame, Mode::mindMap, Mode::treemap}) {
            state().navigation().setCanvasMode(mode);
            settle();
            EXPECT_EQ(page().drawing()->mapTo(window_.get(), QPoint()).y(), top)
                << rawValue(mode) << " at " << size.width() << "x" << size.height();
        }
    }
}

// The filter opening from its button, taking the focus, counting matches or
// being cleared never moves the window's content, at any width.
TEST_F(ExploreFrameTest, TheFilterNeverMovesTheContent) {
    open();
    for (const QSize size : {QSize(1440, 900), QSize(1180, 760), QSize(1024, 700), QSize(720, 560)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        state().navigation().setSearchText({});
        window_->resize(size);
        settle();
        const int top = page().mapTo(window_.get(), QPoint()).y();
        const std::function<void()> steps[] = {
            [&] {
                if (bar().filterButton()->isVisible())
                    QTest::mouseClick(bar().filterButton(), Qt::LeftButton);
                else
                    bar().filterField()->setFocus(Qt::TabFocusReason);
            },
            [&] { QTest::keyClicks(bar().filterField(), QStringLiteral("no")); },
            [&] { bar().filterField()->clear(); },
            [&] { QTest::keyClick(bar().filterField(), Qt::Key_Return); },
        };
        for (const auto& step : steps) {
            step();
            settle();
            EXPECT_EQ(page().mapTo(window_.get(), QPoint()).y(), top);
        }
    }
}

// Below the inspector's width the filter is a button: it opens the field in
// the crumbs' place, focused, and the field gives the place back once left,
// the button standing out while the filter holds text.
TEST_F(ExploreFrameTest, ANarrowWindowOpensTheFilterFromItsButton) {
    open(QSize(1008, 652));
    QPushButton* button = bar().filterButton();
    EXPECT_FALSE(bar().filterCapsule()->isVisible());
    ASSERT_TRUE(button->isVisible());
    EXPECT_EQ(button->accessibleName(), QStringLiteral("Filter by name, path or toolchain"));
    const QWidget* crumbs = bar().crumbButtons().front()->parentWidget();
    ASSERT_TRUE(crumbs->isVisible());

    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_TRUE(bar().filterCapsule()->isVisible());
    EXPECT_TRUE(bar().filterField()->hasFocus());
    EXPECT_FALSE(button->isVisible());
    EXPECT_FALSE(crumbs->isVisible());
    const QRect capsule(bar().filterCapsule()->mapTo(&bar(), QPoint(0, 0)), bar().filterCapsule()->size());
    EXPECT_TRUE(bar().rect().contains(capsule)) << "the field runs past the bar";
    QTest::keyClicks(bar().filterField(), QStringLiteral("node"));
    EXPECT_EQ(state().navigation().searchText(), "node");

    QTest::keyClick(bar().filterField(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(bar().filterCapsule()->isVisible());
    EXPECT_TRUE(button->isVisible());
    EXPECT_TRUE(crumbs->isVisible());
    EXPECT_TRUE(bar().content().filterButtonHighlighted);
    EXPECT_EQ(state().navigation().searchText(), "node") << "the filter keeps filtering";

    window_->resize(1440, 900);
    settle();
    EXPECT_TRUE(bar().filterCapsule()->isVisible());
    EXPECT_FALSE(button->isVisible());
}

// Whichever canvas is chosen, in a window of any size, its pill shows its
// whole title and the switcher lies wholly on the page.
TEST_F(ExploreFrameTest, TheChosenCanvasPillIsNeverCut) {
    open();
    using Mode = AppState::CanvasMode;
    for (const QSize size : {QSize(1180, 760), QSize(1008, 652), QSize(1600, 1000), QSize(900, 640)}) {
        window_->resize(size);
        state().navigation().setCanvasMode(Mode::strata);
        settle();
        for (const Mode mode : allCanvasModes()) {
            state().navigation().setCanvasMode(mode);
            settle();
            const auto* switcher = layout().findChild<CanvasModeSwitcher*>();
            ASSERT_NE(switcher, nullptr);
            const PillButton* pill = switcher->button(mode);
            EXPECT_GE(pill->width(), pill->sizeHint().width())
                << rawValue(mode) << " at " << size.width() << "x" << size.height();
            const QRect onPage(switcher->mapTo(&page(), QPoint(0, 0)), switcher->size());
            EXPECT_LE(onPage.right(), page().width() - 1) << rawValue(mode) << " at " << size.width();
        }
    }
}

// The footer's free-space lines, what the Trash gives back among them, are
// read whole at the usual window sizes.
TEST_F(ExploreFrameTest, TheFootersFreeSpaceLinesAreNeverCut) {
    open();
    state().preferences().setDisposalOverride(Disposal::trash);
    for (const QSize size : {QSize(1180, 760), QSize(1024, 700), QSize(1600, 1000)}) {
        window_->resize(size);
        settle();
        int shown = 0;
        for (const ElidedLabel* label : page().findChildren<ElidedLabel*>()) {
            const bool freeSpace = label->text().startsWith(QStringLiteral("Free ")) ||
                                   label->text().endsWith(QStringLiteral("once the Trash is emptied"));
            if (!label->isVisible() || !freeSpace) continue;
            ++shown;
            EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()))
                << label->text().toStdString() << " at " << size.width() << "x" << size.height();
        }
        EXPECT_EQ(shown, 2) << "the free space now and once the Trash is emptied";
    }
}

// Chosen with its motion, a canvas's pill ends at its whole width too,
// wherever the page had put its controls before.
TEST_F(ExploreFrameTest, APillChosenWithItsMotionEndsWhole) {
    open(QSize(1180, 760));
    AppMotion::setJumpToEnd(false);
    using Mode = AppState::CanvasMode;
    auto* switcher = layout().findChild<CanvasModeSwitcher*>();
    ASSERT_NE(switcher, nullptr);
    switcher->button(Mode::mindMap)->click();
    for (const int milliseconds : {60, 120, 5'000}) {
        for (auto* animation : window_->findChildren<QVariantAnimation*>())
            if (animation->state() == QAbstractAnimation::Running) animation->setCurrentTime(milliseconds);
        settle();
    }
    const PillButton* pill = switcher->button(Mode::mindMap);
    EXPECT_EQ(pill->width(), pill->sizeHint().width());
    EXPECT_EQ(switcher->width(), switcher->sizeHint().width());
    AppMotion::setJumpToEnd(true);
}

// A scan that found nothing keeps both headers, each with a zero total.
TEST_F(ExploreFrameTest, AnEmptyScanKeepsQuickWinsAndToolchainsWithZeroTotals) {
    open();
    const auto shownTrailing = [this] {
        QStringList found;
        for (const RailSection* section : window_->findChildren<RailSection*>()) {
            if (!section->isVisible()) continue;
            const QStringList texts = [section] {
                QStringList shown;
                for (const QLabel* label : section->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
                    shown << label->text();
                return shown;
            }();
            for (const char* title : {"QUICK WINS", "TOOLCHAINS"})
                if (texts.contains(QString::fromLatin1(title))) found << texts.join(QLatin1Char('|'));
        }
        found.sort();
        return found;
    };
    EXPECT_EQ(shownTrailing().size(), 2) << "the demonstration scan has both";
    state().developer().setScan(ScanResult{});
    state().developer().setShowsProtected(
        state().developer().showsProtected());  // the tree follows the new scan
    QCoreApplication::processEvents();
    const QString zero = QString::fromStdString(ByteFormat::string(0));
    EXPECT_EQ(shownTrailing(), QStringList({QStringLiteral("QUICK WINS|") + zero,
                                            QStringLiteral("TOOLCHAINS|") + zero}));
}

// Pictures of the window in a light and a dark theme, wide and narrow, kept
// under build/screenshots/explore/ to look at.
TEST_F(ExploreFrameTest, Pictures) {
    QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots/explore"));
    dir.mkpath(QStringLiteral("."));
    open();
    for (const ThemeID theme : {ThemeID::paper, ThemeID::graphite, ThemeID::terminal}) {
        state().preferences().setThemeID(theme);
        for (const QSize size : {QSize(1440, 900), QSize(760, 600)}) {
            window_->resize(size);
            QCoreApplication::processEvents();
            const QImage picture = window_->grab().toImage();
            EXPECT_FALSE(picture.isNull());
            picture.save(dir.filePath(QStringLiteral("developer-%1-%2x%3.png")
                                          .arg(QString::fromUtf8(rawValue(theme).data()))
                                          .arg(size.width())
                                          .arg(size.height())));
        }
    }
}

}  // namespace
}  // namespace korvane
