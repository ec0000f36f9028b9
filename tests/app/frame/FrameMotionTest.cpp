#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVariantAnimation>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/canvases/CanvasDrawing.h"
#include "app/canvases/CanvasModeSwitcher.h"
#include "app/canvases/MindMapCanvas.h"
#include "app/frame/ExploreLayout.h"
#include "app/frame/GeneralSidebar.h"
#include "app/frame/RootView.h"
#include "app/frame/TopBar.h"
#include "app/kit/CrossFade.h"
#include "app/kit/KitButton.h"
#include "app/kit/PillButton.h"
#include "app/kit/ScaleReveal.h"
#include "app/screens/ApplicationsView.h"
#include "app/theme/AppMotion.h"
#include "tests/app/state/FlowFixture.h"

// The window's own motions, each stepped along its clock: the value read at
// chosen times lies on its curve, it lands where the jump-to-end switch puts
// it at once, and no animation runs once it has arrived.

namespace korvane {
namespace {

// The cases below reach into the window through the fixture.
class FrameMotionTest : public testing::FlowFixture {
public:
    using testing::FlowFixture::state;

    ~FrameMotionTest() override {
        window_.reset();
        AppMotion::setJumpToEnd(false);
    }

    // A window on these arguments, with animations landing at once until the motion under test.
    void open(const std::vector<std::string>& arguments, const std::function<void(AppState&)>& before) {
        window_.reset();
        AppMotion::setJumpToEnd(true);
        launch(arguments);
        if (before) before(state());
        window_ = std::make_unique<MainWindow>(state());
        window_->resize(1440, 900);
        window_->bringToFront();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        QApplication::setActiveWindow(window_.get());
        settle();
    }

    static void settle() {
        for (int pass = 0; pass < 4; ++pass) QCoreApplication::processEvents();
    }

    // Every running animation of the window moved to `milliseconds` into its run, and the layouts done.
    void stepTo(int milliseconds) {
        for (auto* animation : window_->findChildren<QVariantAnimation*>())
            if (animation->state() == QAbstractAnimation::Running) animation->setCurrentTime(milliseconds);
        for (int pass = 0; pass < 4; ++pass)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }

    int running() const {
        int count = 0;
        for (auto* animation : window_->findChildren<QVariantAnimation*>())
            count += animation->state() == QAbstractAnimation::Running ? 1 : 0;
        return count;
    }

    ExploreLayout& layout() { return *window_->rootView()->exploreLayout(); }
    TopBar& bar() { return *layout().topBar(); }
    template <typename Widget>
    Widget& find() {
        auto* found = window_->findChild<Widget*>();
        EXPECT_NE(found, nullptr);
        return *found;
    }

    std::unique_ptr<MainWindow> window_;
};

AppUninstaller::InstalledApp app(const std::string& name, std::int64_t bytes) {
    AppUninstaller::InstalledApp installed;
    installed.name = name;
    installed.bundleURL = "/opt/apps/" + name + ".AppImage";
    installed.bundleBytes = bytes;
    installed.packaging = AppUninstaller::Packaging::appImage;
    return installed;
}

void twoApps(AppState& state) {
    state.applications().setApps({app("Krita", 300'000'000), app("Blender", 200'000'000)});
    state.applications().setSelectedApp(state.applications().apps()[0]);
}

// The first node under the developer tree's root that has a path (it can be kept out of scans).
const StorageNode* nodeWithPath(const StorageNode& node) {
    if (node.path) return &node;
    for (const StorageNode& child : node.children)
        if (const StorageNode* found = nodeWithPath(child)) return found;
    return nullptr;
}

void selectNodeWithPath(AppState& state) {
    const StorageNode* node = nodeWithPath(state.developer().tree());
    ASSERT_NE(node, nullptr);
    state.navigation().setSelectedID(node->id);
}

struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::function<void(AppState&)> before;  // on the state, before the window opens
    std::function<void(FrameMotionTest&)> act;
    std::function<double(FrameMotionTest&)> read;  // none for a fade: its opacity is read
    Motion motion;
    double tolerance;
    // The old look fading out over the new one, if that is the motion.
    std::function<CrossFade*(FrameMotionTest&)> fade = nullptr;

    double value(FrameMotionTest& test) const { return fade ? fade(test)->opacity() : read(test); }
};

const std::vector<std::string> developer{"--screen", "explore", "--mode", "developer"};
const std::vector<std::string> general{"--screen", "explore", "--mode", "general"};
const std::vector<std::string> treemap{"--screen", "explore", "--mode", "developer", "--canvas", "treemap"};
const std::vector<std::string> mindMap{"--screen", "explore", "--mode", "developer", "--canvas", "mindMap"};
const std::vector<std::string> apps{"--screen", "explore", "--mode", "general", "--section", "apps"};

std::vector<Case> cases() {
    const auto switcherPill = [](FrameMotionTest& t) -> PillButton& {
        return *t.find<CanvasModeSwitcher>().button(CanvasMode::flame);
    };
    const auto map = [](FrameMotionTest& t) -> MindMapCanvas& { return t.find<MindMapCanvas>(); };
    const auto page = [](FrameMotionTest& t) -> ApplicationsView& { return t.find<ApplicationsView>(); };
    const auto pageFade = [](FrameMotionTest& t) { return t.layout().pageFade(); };
    const auto chooseBlender = [](FrameMotionTest& t) {
        t.state().applications().setSelectedApp(t.state().applications().apps()[1]);
    };
    return {
        {"switcher pill's fill", developer, nullptr, [=](FrameMotionTest& t) { switcherPill(t).click(); },
         [=](FrameMotionTest& t) { return switcherPill(t).activeness(); }, AppMotion::snappy, 1e-3},
        {"mode pill's fill", developer, nullptr,
         [](FrameMotionTest& t) { t.bar().modePill(Mode::general)->click(); },
         [](FrameMotionTest& t) { return t.bar().modePill(Mode::general)->activeness(); }, AppMotion::snappy,
         1e-3},
        {"inspector toggled in a wide window", developer, nullptr,
         [](FrameMotionTest& t) { t.bar().inspectorToggle()->click(); },
         [](FrameMotionTest& t) { return double(t.layout().inspectorColumn()->minimumWidth()); },
         AppMotion::easeInOut(0.18), 1},
        {"window narrowed below 1140 points", developer, nullptr,
         [](FrameMotionTest& t) {
             t.window_->resize(1000, 900);
             QCoreApplication::processEvents();
         },
         [](FrameMotionTest& t) { return double(t.layout().inspectorColumn()->minimumWidth()); },
         AppMotion::gentle, 1},
        {"filter's count badge", developer, nullptr,
         [](FrameMotionTest& t) { QTest::keyClicks(t.bar().filterField(), QStringLiteral("x")); },
         [](FrameMotionTest& t) { return double(t.bar().badgeReveal()->sizeHint().width()); },
         AppMotion::snappy, 1},
        {"filter's clear button", developer, [](AppState& s) { s.navigation().setSearchText("x"); },
         [](FrameMotionTest& t) { qobject_cast<QPushButton*>(t.bar().clearReveal()->content())->click(); },
         [](FrameMotionTest& t) { return double(t.bar().clearReveal()->sizeHint().width()); },
         AppMotion::snappy, 1},
        {"filter's focus border", developer, nullptr,
         [](FrameMotionTest& t) { t.bar().filterField()->setFocus(Qt::MouseFocusReason); },
         [](FrameMotionTest& t) { return t.bar().filterFocus(); }, AppMotion::snappy, 1e-3},
        {"page of a new section", general, nullptr,
         [](FrameMotionTest& t) { t.state().navigation().setGeneralSection(GeneralSection::search); },
         nullptr, AppMotion::fade, 1e-3, pageFade},
        {"sidebar and page of a new mode", general, nullptr,
         [](FrameMotionTest& t) { t.state().preferences().setMode(Mode::developer); }, nullptr,
         AppMotion::snappy, 1e-3, pageFade},
        // A canvas without an entrance: one under way would move between the old and the new picture.
        {"colours of a new theme", treemap, [](AppState& s) { s.preferences().setThemeID(ThemeID::paper); },
         [](FrameMotionTest& t) { t.state().preferences().setThemeID(ThemeID::graphite); }, nullptr,
         AppMotion::gentle, 1e-3, [](FrameMotionTest& t) { return t.window_->rootView()->themeFade(); }},
        {"mind map zoomed in", mindMap, nullptr, [=](FrameMotionTest& t) { map(t).zoomInButton()->click(); },
         [=](FrameMotionTest& t) { return map(t).shownZoom(); }, AppMotion::snappy, 1e-3},
        {"mind map reset", mindMap, nullptr,
         [=](FrameMotionTest& t) {
             const bool jumping = AppMotion::jumpsToEnd();
             AppMotion::setJumpToEnd(true);
             map(t).zoomBy(1.3 * 1.3);
             AppMotion::setJumpToEnd(jumping);
             map(t).resetButton()->click();
         },
         [=](FrameMotionTest& t) { return map(t).shownZoom(); }, AppMotion::gentle, 1e-3},
        {"general sidebar's row chosen", general, nullptr,
         [](FrameMotionTest& t) { qobject_cast<QAbstractButton*>(t.find<GeneralSidebar>().pageRows()[1])->click(); },
         [](FrameMotionTest& t) { return t.find<GeneralSidebar>().pageRowChosenness(1); }, AppMotion::snappy, 1e-3},
        {"general sidebar's row left", general, nullptr,
         [](FrameMotionTest& t) { qobject_cast<QAbstractButton*>(t.find<GeneralSidebar>().pageRows()[1])->click(); },
         [](FrameMotionTest& t) { return t.find<GeneralSidebar>().pageRowChosenness(0); }, AppMotion::snappy, 1e-3},
        {"never touch this", developer, selectNodeWithPath,
         [](FrameMotionTest& t) {
             for (KitButton* button : t.layout().inspector()->findChildren<KitButton*>())
                 if (button->title() == QStringLiteral("Never touch this")) return button->click();
             ADD_FAILURE() << "no \"Never touch this\"";
         },
         nullptr, AppMotion::gentle, 1e-3, pageFade},
        {"application row chosen", apps, twoApps, chooseBlender,
         [=](FrameMotionTest& t) { return page(t).rowHighlight(1); }, AppMotion::snappy, 1e-3},
        {"application row left", apps, twoApps, chooseBlender,
         [=](FrameMotionTest& t) { return page(t).rowHighlight(0); }, AppMotion::snappy, 1e-3},
        {"application's detail pane", apps, twoApps, chooseBlender, nullptr, AppMotion::snappy, 1e-3,
         [=](FrameMotionTest& t) { return page(t).detailFade(); }},
    };
}

TEST_F(FrameMotionTest, EachMotionFollowsItsCurveArrivesAndStopsOrLandsAtOnceWhenAsked) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        open(c.arguments, c.before);
        AppMotion::setJumpToEnd(false);
        c.act(*this);
        stepTo(0);
        const double from = c.value(*this);
        stepTo(5'000);
        const double to = c.value(*this);
        EXPECT_GT(std::abs(to - from), 10 * c.tolerance) << "nothing moves";
        EXPECT_EQ(running(), 0) << "an animation keeps running after it arrived";

        // Again, stepped on the way.
        open(c.arguments, c.before);
        AppMotion::setJumpToEnd(false);
        c.act(*this);
        for (const double seconds : {0.0, 0.05, 0.1, 0.16}) {
            stepTo(static_cast<int>(seconds * 1000));
            EXPECT_NEAR(c.value(*this), from + (to - from) * c.motion.progress(seconds), c.tolerance)
                << "at " << seconds << " s";
        }

        // With the jump-to-end switch on, as open() leaves it.
        open(c.arguments, c.before);
        c.act(*this);
        stepTo(0);
        EXPECT_NEAR(c.value(*this), to, c.tolerance) << "the switch does not land it at once";
        EXPECT_EQ(running(), 0);
    }
}

// A replaced page, a new mode, a new theme and a new application start from
// the old look, whole, over the new one, which shows once the fade is over.
TEST_F(FrameMotionTest, AFadeStartsFromTheWholeOldLookOverTheNewOne) {
    for (const Case& c : cases()) {
        if (!c.fade) continue;
        SCOPED_TRACE(c.what);
        open(c.arguments, c.before);
        AppMotion::setJumpToEnd(false);
        RootView& root = *window_->rootView();
        const QImage before = root.grab().toImage();
        c.act(*this);
        stepTo(0);
        CrossFade* fade = c.fade(*this);
        ASSERT_TRUE(fade->isVisible());
        const QRect area(fade->mapTo(&root, QPoint(0, 0)), fade->size());
        EXPECT_EQ(root.grab().toImage().copy(area), before.copy(area)) << "the old look is not whole on top";
        stepTo(5'000);
        EXPECT_FALSE(fade->isVisible());
        EXPECT_NE(root.grab().toImage().copy(area), before.copy(area));
    }
}

}  // namespace
}  // namespace korvane
