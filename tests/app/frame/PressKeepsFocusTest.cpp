#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/canvases/CanvasModeSwitcher.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/GeneralSidebar.h"
#include "app/frame/RootView.h"
#include "app/frame/SidebarView.h"
#include "app/frame/TopBar.h"
#include "app/kit/PillButton.h"
#include "app/screens/SearchView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

// A keyboard user who presses a control with Space keeps their place: the
// page, sidebar or sheet it changes comes and goes around it, and the focus
// is still on the control once every motion has landed.

namespace korvane {
namespace {

struct Press;

class PressKeepsFocusTest : public testing::FlowFixture, public ::testing::WithParamInterface<Press> {
public:
    PressKeepsFocusTest() { AppMotion::setJumpToEnd(true); }
    ~PressKeepsFocusTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    void open(std::vector<std::string> arguments) {
        window_.reset();
        for (std::string& argument : arguments)
            if (argument == "HOME") argument = home_;
        launch(arguments);
        if (std::find(arguments.begin(), arguments.end(), "--folder") != arguments.end()) {
            ASSERT_TRUE(
                testing::waitUntil([&] { return state().folderScan().generalResult().has_value(); }, 20));
        }
        window_ = std::make_unique<MainWindow>(state());
        window_->resize(1440, 900);
        window_->bringToFront();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::setActiveWindow(window_.get());
        settle();
    }

    // Posted events, deferred deletions and layouts all done.
    static void settle() { QTest::qWait(30); }

    ExploreLayout& layout() { return *window_->rootView()->exploreLayout(); }
    TopBar& bar() { return *layout().topBar(); }

    std::unique_ptr<MainWindow> window_;
};

using Find = std::function<QAbstractButton*(PressKeepsFocusTest&)>;

struct Press {
    const char* what;
    std::vector<std::string> arguments;
    Find control;
    bool opensSheet = false;
    // Where the focus is meant to go instead, for the one page that takes it.
    std::function<QWidget*(PressKeepsFocusTest&)> takesFocus = {};
};

std::vector<std::string> general(const char* section) {
    return {"--mode", "general", "--folder", "HOME", "--section", section};
}
const std::vector<std::string> developer{"--screen", "explore", "--mode", "developer"};

Find pageRow(std::size_t index) {
    return [index](PressKeepsFocusTest& t) {
        auto* sidebar = qobject_cast<GeneralSidebar*>(t.layout().sidebar());
        return sidebar ? qobject_cast<QAbstractButton*>(sidebar->pageRows().at(index)) : nullptr;
    };
}

// The first of the developer sidebar's rows of this name.
Find developerRow(std::function<std::string(const SidebarContent::Sections&)> name) {
    return [name](PressKeepsFocusTest& t) -> QAbstractButton* {
        auto* sidebar = qobject_cast<SidebarView*>(t.layout().sidebar());
        if (!sidebar || !sidebar->content().sections) return nullptr;
        const QString wanted = QString::fromStdString(name(*sidebar->content().sections));
        for (auto* button : sidebar->findChildren<QAbstractButton*>())
            if (button->accessibleName() == wanted) return button;
        return nullptr;
    };
}

Find switcherTab(CanvasMode mode) {
    return [mode](PressKeepsFocusTest& t) -> QAbstractButton* {
        auto* switcher = t.layout().canvasPage()->findChild<CanvasModeSwitcher*>();
        return switcher ? switcher->button(mode) : nullptr;
    };
}

Find modePill(Mode mode) {
    return [mode](PressKeepsFocusTest& t) { return t.bar().modePill(mode); };
}

std::vector<Press> presses() {
    return {
        {"Disk usage", general("search"), pageRow(0)},
        {"Search", general("explore"), pageRow(1), false,
         [](PressKeepsFocusTest& t) -> QWidget* {
             auto* page = qobject_cast<SearchView*>(t.layout().canvasPage());
             return page ? page->field() : nullptr;
         }},
        {"Large files", general("explore"), pageRow(2)},
        {"Applications", general("explore"), pageRow(3)},
        {"Live stats", general("explore"), pageRow(4)},
        {"quick win", developer, developerRow([](const auto& s) { return s.quickWins.at(1).name; })},
        {"toolchain", developer, developerRow([](const auto& s) { return s.toolchains.at(1).title; })},
        {"Developer mode", general("explore"), modePill(Mode::developer)},
        {"General mode", developer, modePill(Mode::general)},
        {"canvas tab in general mode", general("explore"), switcherTab(CanvasMode::treemap)},
        {"canvas tab in developer mode", developer, switcherTab(CanvasMode::treemap)},
        {"History", developer, [](PressKeepsFocusTest& t) { return t.bar().historyPill(); }, true},
        {"Settings", general("explore"), [](PressKeepsFocusTest& t) { return t.bar().settingsPill(); }, true},
    };
}

void PrintTo(const Press& press, std::ostream* out) { *out << press.what; }

TEST_P(PressKeepsFocusTest, SpaceOnTheControlLeavesTheFocusOnIt) {
    const Press& press = GetParam();
    open(press.arguments);
    const QPointer<QAbstractButton> control = press.control(*this);
    ASSERT_NE(control, nullptr);
    QSignalSpy clicked(control.data(), &QAbstractButton::clicked);
    control->setFocus(Qt::TabFocusReason);
    settle();
    ASSERT_EQ(QApplication::focusWidget(), control);

    QTest::keyClick(control, Qt::Key_Space);
    settle();
    EXPECT_EQ(clicked.size(), 1);
    if (press.opensSheet) {
        ASSERT_TRUE(testing::waitUntil([&] { return window_->sheetDialog() != nullptr; }, 5));
        QWidget* inSheet = QApplication::focusWidget();
        QTest::keyClick(inSheet ? inSheet : window_->sheetDialog(), Qt::Key_Escape);
        settle();
        EXPECT_EQ(window_->sheetDialog(), nullptr);
    }

    // The control itself, not another made in its place.
    ASSERT_FALSE(control.isNull()) << "the control was made anew";
    QWidget* expected = press.takesFocus ? press.takesFocus(*this) : control.data();
    ASSERT_NE(expected, nullptr);
    QWidget* focused = QApplication::focusWidget();
    EXPECT_EQ(focused, expected) << "the focus went to "
                                 << (focused ? focused->metaObject()->className() : "nothing") << " \""
                                 << (focused ? focused->accessibleName().toStdString() : "") << "\"";
}

INSTANTIATE_TEST_SUITE_P(Controls, PressKeepsFocusTest, ::testing::ValuesIn(presses()),
                         [](const ::testing::TestParamInfo<Press>& info) {
                             std::string name = info.param.what;
                             std::erase_if(
                                 name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
                             return name;
                         });

}  // namespace
}  // namespace korvane
