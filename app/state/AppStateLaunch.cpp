#include <QTimer>

#include "app/platform/Clock.h"
#include "app/state/AppState.h"

namespace korvane {

namespace {

constexpr int sheetDelayMilliseconds = 800;
constexpr int firstRunDelayMilliseconds = 600;

}  // namespace

void AppState::applyLaunchArguments(const std::vector<std::string>& launchArguments) {
    const LaunchArguments arguments(launchArguments);
    if (const auto value = arguments.value("theme"))
        if (const auto theme = themeIDFromRawValue(*value)) preferences_.setThemeID(*theme);
    if (const auto value = arguments.value("section"))
        if (const auto section = generalSectionFromRawValue(*value)) navigation_.setGeneralSection(*section);
    if (const auto value = arguments.value("canvas"))
        if (const auto canvas = canvasModeFromRawValue(*value)) navigation_.setCanvasMode(*canvas);
    const auto folder = arguments.folder();
    if (folder) {
        // Saves general mode itself, before its walk begins.
        folderScan_.scanFolder(*folder);
        navigation_.setRoute(Route::explore);
    }
    if (const auto value = arguments.value("mode"))
        if (const auto mode = modeFromRawValue(*value))
            // Beside a scan of the home, writing the settings again would be counted as a file.
            if (!folder || *mode != Mode::general) preferences_.setMode(*mode);
    if (const auto screen = arguments.screen()) applyLaunchScreen(*screen);
}

void AppState::applyLaunchScreen(LaunchArguments::Screen screen) {
    using Screen = LaunchArguments::Screen;
    const auto openSheetSoon = [this](Sheet sheet) {
        loadDemonstrationScan();
        navigation_.setRoute(Route::explore);
        QTimer::singleShot(sheetDelayMilliseconds, this, [this, sheet] { navigation_.setSheet(sheet); });
    };
    switch (screen) {
        case Screen::onboarding:
            navigation_.setRoute(Route::onboarding);
            break;
        case Screen::scanning: {
            // Only the progress shows the scan; `scan` stays as start-up left it.
            const ScanResult shown = history_.store().loadLastScan().value_or(demonstrationScan());
            developer_.setScanProgress(
                ScanProgress(ScanProgress::Phase::scanning(CleanupCategory::node), 0.55, shown.categories));
            navigation_.setRoute(Route::scanning);
            break;
        }
        case Screen::explore:
            loadDemonstrationScan();
            navigation_.setRoute(Route::explore);
            break;
        case Screen::cleaning:
            loadDemonstrationScan();
            developer_.setCleanupProgress(CleanupProgress(7, 26, "storefront/node_modules", 8'200'000'000));
            navigation_.setRoute(Route::cleaning);
            break;
        case Screen::finished:
            loadDemonstrationScan();
            developer_.showDemonstratedReport(demonstrationReport());
            navigation_.setRoute(Route::finished);
            break;
        case Screen::review:
            openSheetSoon(Sheet::review);
            break;
        case Screen::history:
            openSheetSoon(Sheet::history);
            break;
        case Screen::settings:
            openSheetSoon(Sheet::settings);
            break;
        case Screen::firstRunDeveloper:
            navigation_.setRoute(Route::onboarding);
            QTimer::singleShot(firstRunDelayMilliseconds, this, [this] { developer_.startScan(); });
            break;
        case Screen::firstRunHome:
            navigation_.setRoute(Route::onboarding);
            QTimer::singleShot(firstRunDelayMilliseconds, this, [this] { folderScan_.scanHomeFolder(); });
            break;
    }
}

}  // namespace korvane
