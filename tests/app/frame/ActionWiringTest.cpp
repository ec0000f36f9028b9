#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QTest>

#include "app/MainWindow.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/RootView.h"
#include "app/frame/TopBar.h"
#include "app/kit/KitButton.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

// Clicks the buttons of the explore window the way a user does and checks
// which state operation each one reached: a button wired to a neighbouring
// operation (a developer scan for a folder scan, the inspected node for the
// focused one) looks right and does the wrong thing.

namespace korvane {
namespace {

class ActionWiringTest : public testing::FlowFixture {
public:
    // The table's checks read the fixture from outside its members.
    using FlowFixture::at;
    using FlowFixture::desktop_;
    using FlowFixture::home_;
    using FlowFixture::state;

    // A candidate of the demonstration scan: it has a path and no children.
    const StorageNode& item() { return *state().developer().tree().children.front().leaves().front(); }

protected:
    ActionWiringTest() { AppMotion::setJumpToEnd(true); }
    ~ActionWiringTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    enum class Region { topBar, sidebar, page, inspector };

    struct Action {
        const char* name;
        const char* mode;  // "developer" or "general"
        std::function<void(ActionWiringTest&)> prepare;
        Region region;
        // The button's title, else its accessible name.
        std::function<QString(ActionWiringTest&)> label;
        std::function<void(ActionWiringTest&)> expect;
    };

    void open(const char* mode) {
        window_.reset();
        desktop_ = {};
        launch({"--screen", "explore", "--mode", mode});
        window_ = std::make_unique<MainWindow>(state());
        window_->resize(1440, 900);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QCoreApplication::processEvents();
    }

    QWidget* region(Region which) const {
        ExploreLayout& layout = *window_->rootView()->exploreLayout();
        switch (which) {
            case Region::topBar:
                return layout.topBar();
            case Region::sidebar:
                return layout.sidebar();
            case Region::page:
                return layout.canvasPage();
            case Region::inspector:
                return layout.inspector();
        }
        return nullptr;
    }

    static QAbstractButton* button(QWidget* within, const QString& label) {
        for (QAbstractButton* found : within->findChildren<QAbstractButton*>()) {
            if (!found->isVisibleTo(within)) continue;
            const auto* kit = qobject_cast<KitButton*>(found);
            const QString title = kit ? kit->title() : found->text();
            if (title == label || (title.isEmpty() && found->accessibleName() == label)) return found;
        }
        return nullptr;
    }

    void run(const Action& action) {
        SCOPED_TRACE(action.name);
        open(action.mode);
        if (action.prepare) action.prepare(*this);
        QCoreApplication::processEvents();
        const QString label = action.label(*this);
        QAbstractButton* target = button(region(action.region), label);
        ASSERT_NE(target, nullptr) << label.toStdString();
        ASSERT_TRUE(target->isEnabled()) << label.toStdString();
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        QCoreApplication::processEvents();
        action.expect(*this);
    }

    std::unique_ptr<MainWindow> window_;
};

auto fixed(const char* text) {
    return [text](ActionWiringTest&) { return QString::fromUtf8(text); };
}

TEST_F(ActionWiringTest, EachButtonReachesItsOperation) {
    using T = ActionWiringTest;
    const std::vector<Action> actions = {
        {"History opens the history sheet", "developer", nullptr, Region::topBar, fixed("History"),
         [](T& t) { EXPECT_EQ(t.state().navigation().sheet(), AppState::Sheet::history); }},
        {"Settings opens the settings sheet", "developer", nullptr, Region::topBar, fixed("Settings"),
         [](T& t) { EXPECT_EQ(t.state().navigation().sheet(), AppState::Sheet::settings); }},
        {"a mode pill sets the mode", "developer", nullptr, Region::topBar, fixed("General"),
         [](T& t) { EXPECT_EQ(t.state().preferences().mode(), AppState::Mode::general); }},
        {"a switcher pill sets the canvas mode", "developer", nullptr, Region::page, fixed("Treemap"),
         [](T& t) { EXPECT_EQ(t.state().navigation().canvasMode(), AppState::CanvasMode::treemap); }},
        {"the sidebar's Reveal shows the focused node, not the inspected one", "developer",
         [](T& t) {
             t.state().navigation().setFocusedID(t.item().id);
             t.state().navigation().setSelectedID("root");
         },
         Region::sidebar, fixed("Reveal"),
         [](T& t) {
             EXPECT_EQ(t.desktop_.revealed, (std::vector<std::vector<std::string>>{{*t.item().path}}));
         }},
        {"the sidebar's Copy path copies the focused path", "developer",
         [](T& t) {
             t.state().navigation().setFocusedID(t.item().id);
             t.state().navigation().setSelectedID("root");
         },
         Region::sidebar, fixed("Copy path"),
         [](T& t) { EXPECT_EQ(t.desktop_.copied, (std::vector<std::string>{*t.item().path})); }},
        {"the sidebar's Folder\u2026 asks for project folders", "developer", nullptr, Region::sidebar,
         fixed("Folder\u2026"),
         [](T& t) {
             ASSERT_EQ(t.desktop_.requests.size(), 1u);
             EXPECT_EQ(t.desktop_.requests[0].prompt, "Add");
             EXPECT_TRUE(t.desktop_.requests[0].multiple);
         }},
        {"a quick win focuses its node", "developer", nullptr, Region::sidebar,
         [](T& t) { return QString::fromStdString(t.state().developer().sidebarItems().front()->name); },
         [](T& t) {
             EXPECT_EQ(t.state().navigation().selectedID(), t.state().developer().sidebarItems().front()->id);
         }},
        {"the inspector's Focus drills into the inspected node", "developer",
         [](T& t) { t.state().navigation().setSelectedID(t.state().developer().tree().children.front().id); },
         Region::inspector, fixed("Focus"),
         [](T& t) {
             EXPECT_EQ(t.state().navigation().focusedID(), t.state().developer().tree().children.front().id);
         }},
        {"the inspector's Never touch this excludes the inspected path", "developer",
         [](T& t) { t.state().navigation().setSelectedID(t.item().id); }, Region::inspector,
         fixed("Never touch this"),
         [](T& t) { EXPECT_EQ(t.state().preferences().settings().excludedPaths.size(), 1u); }},
        {"Select safe selects the safe candidates", "developer",
         [](T& t) { t.state().developer().setSelection({}); }, Region::page, fixed("Select safe"),
         [](T& t) { EXPECT_FALSE(t.state().developer().selection().empty()); }},
        {"the general sidebar's Folder\u2026 asks for one folder to scan", "general", nullptr,
         Region::sidebar, fixed("Folder\u2026"),
         [](T& t) {
             ASSERT_EQ(t.desktop_.requests.size(), 1u);
             EXPECT_EQ(t.desktop_.requests[0].prompt, "Scan");
             EXPECT_FALSE(t.desktop_.requests[0].multiple);
         }},
        {"a page row sets the general section", "general", nullptr, Region::sidebar, fixed("Large files"),
         [](T& t) {
             EXPECT_EQ(t.state().navigation().generalSection(), AppState::GeneralSection::largeFiles);
         }},
        {"Rescan scans the folder scanned last, not the home folder", "general",
         [](T& t) {
             std::filesystem::create_directories(t.at("Documents"));
             t.state().folderScan().setScanRoot(t.at("Documents"));
         },
         Region::sidebar, fixed("Rescan"),
         [](T& t) {
             EXPECT_EQ(t.state().folderScan().scanRoot(), t.at("Documents"));
             EXPECT_TRUE(
                 testing::waitUntil([&] { return t.state().folderScan().generalResult().has_value(); }, 20));
         }},
        {"the empty general page's Scan Home folder starts a folder scan there", "general", nullptr,
         Region::page, fixed("Scan Home folder"),
         [](T& t) {
             EXPECT_EQ(t.state().folderScan().scanRoot(), t.home_);
             EXPECT_EQ(t.state().navigation().route(), AppState::Route::explore);
             EXPECT_TRUE(
                 testing::waitUntil([&] { return t.state().folderScan().generalResult().has_value(); }, 20));
         }},
    };
    for (const Action& action : actions) run(action);
}

}  // namespace
}  // namespace korvane
