#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>

#include "app/frame/GeneralSidebar.h"
#include "app/frame/SidebarView.h"
#include "app/frame/TopBar.h"
#include "app/kit/KitButton.h"
#include "app/kit/PillButton.h"
#include "tests/app/state/FlowFixture.h"

// The top bar and the two sidebars each listen to the parts of the state
// they show; a change of any one of those parts alone reaches the screen.

namespace korvane {
namespace {

class FramePartsTest : public testing::FlowFixture {};

TEST_F(FramePartsTest, EachWidgetFollowsAChangeOfEachPartItShows) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::function<QWidget*(AppState&)> make;
        std::function<void(AppState&)> change;
        std::function<bool(QWidget&)> shows;
    };
    const auto topBar = [](AppState& state) -> QWidget* {
        return new TopBar(state.preferences(), state.navigation(), state.folderScan(),
                          [] { return new QWidget; });
    };
    const auto developerSidebar = [](AppState& state) -> QWidget* {
        return new SidebarView(state.navigation(), state.developer(), state.desktop());
    };
    const auto generalSidebar = [](AppState& state) -> QWidget* {
        return new GeneralSidebar(state.folderScan(), state.navigation(), state.applications(),
                                  state.liveStats(), state.desktop());
    };
    const std::vector<std::string> developer = {"--screen", "explore", "--mode", "developer"};
    const Case cases[] = {
        {"top bar, preferences", developer, topBar,
         [](AppState& state) { state.preferences().setMode(Mode::general); },
         [](QWidget& w) { return static_cast<TopBar&>(w).modePill(Mode::general)->isActive(); }},
        {"top bar, navigation", developer, topBar,
         [](AppState& state) { state.navigation().setSheet(Sheet::settings); },
         [](QWidget& w) { return static_cast<TopBar&>(w).settingsPill()->isActive(); }},
        {"top bar, folder scan",
         {"--mode", "general"},
         topBar,
         [](AppState& state) { state.folderScan().setIsScanningFolder(true); },
         [](QWidget& w) {
             return static_cast<TopBar&>(w).content().scannedFolder.value_or("").starts_with("Scanning");
         }},
        {"developer sidebar, navigation",
         {},
         developerSidebar,
         [](AppState& state) { state.navigation().setRoute(Route::scanning); },
         [](QWidget& w) { return !static_cast<SidebarView&>(w).scanButton()->isEnabled(); }},
        {"developer sidebar, developer scan",
         {},
         developerSidebar,
         [](AppState& state) { state.developer().setScan(state.demonstrationScan()); },
         [](QWidget& w) { return static_cast<SidebarView&>(w).content().sections.has_value(); }},
        {"general sidebar, folder scan",
         {},
         generalSidebar,
         [](AppState& state) { state.folderScan().setIsScanningFolder(true); },
         [](QWidget& w) { return !static_cast<GeneralSidebar&>(w).primaryButton()->isEnabled(); }},
        {"general sidebar, navigation",
         {},
         generalSidebar,
         [](AppState& state) { state.navigation().setGeneralSection(GeneralSection::largeFiles); },
         [](QWidget& w) { return static_cast<GeneralSidebar&>(w).content().pages[2].isSelected; }},
        {"general sidebar, applications",
         {},
         generalSidebar,
         [](AppState& state) {
             AppUninstaller::InstalledApp app;
             app.name = "Sketchbook";
             app.bundleURL = "/opt/Sketchbook";
             state.applications().setApps({app});
         },
         [](QWidget& w) {
             return static_cast<GeneralSidebar&>(w).pageRows()[3]->accessibleDescription() ==
                    QStringLiteral("1");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppState& state = launch(c.arguments);
        std::unique_ptr<QWidget> widget(c.make(state));
        ASSERT_FALSE(c.shows(*widget)) << "shown before the change";
        c.change(state);
        EXPECT_TRUE(c.shows(*widget));
    }
}

}  // namespace
}  // namespace korvane
