#include <QTimer>

#include "app/platform/Clock.h"
#include "app/state/AppState.h"
#include "app/state/DemonstrationData.h"

namespace korvane {

namespace {

constexpr int sheetDelayMilliseconds = 800;
constexpr int firstRunDelayMilliseconds = 600;

}  // namespace

void AppState::applyLaunchArguments() {
    const LaunchArguments arguments(arguments_);
    if (const auto value = arguments.value("theme"))
        if (const auto theme = themeIDFromRawValue(*value)) setThemeID(*theme);
    if (const auto value = arguments.value("section"))
        if (const auto section = generalSectionFromRawValue(*value)) setGeneralSection(*section);
    if (const auto value = arguments.value("canvas"))
        if (const auto canvas = canvasModeFromRawValue(*value)) setCanvasMode(*canvas);
    if (const auto folder = arguments.folder()) {
        scanFolder(*folder);
        setRoute(Route::explore);
    }
    if (const auto value = arguments.value("mode"))
        if (const auto mode = modeFromRawValue(*value)) setMode(*mode);
    if (const auto screen = arguments.screen()) applyLaunchScreen(*screen);
}

void AppState::applyLaunchScreen(LaunchArguments::Screen screen) {
    using Screen = LaunchArguments::Screen;
    const auto openSheetSoon = [this](Sheet sheet) {
        loadDemonstrationScan();
        setRoute(Route::explore);
        QTimer::singleShot(sheetDelayMilliseconds, this, [this, sheet] { setSheet(sheet); });
    };
    switch (screen) {
        case Screen::onboarding:
            setRoute(Route::onboarding);
            break;
        case Screen::scanning: {
            // Only the progress shows the scan; `scan` stays as start-up left it.
            const ScanResult shown = history_.loadLastScan().value_or(demonstrationScan());
            setScanProgress(
                ScanProgress(ScanProgress::Phase::scanning(CleanupCategory::node), 0.55, shown.categories));
            setRoute(Route::scanning);
            break;
        }
        case Screen::explore:
            loadDemonstrationScan();
            setRoute(Route::explore);
            break;
        case Screen::cleaning:
            loadDemonstrationScan();
            setCleanupProgress(CleanupProgress(7, 26, "storefront/node_modules", 8'200'000'000));
            setRoute(Route::cleaning);
            break;
        case Screen::finished:
            loadDemonstrationScan();
            setLastReport(demonstrationReport());
            setRoute(Route::finished);
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
            setRoute(Route::onboarding);
            QTimer::singleShot(firstRunDelayMilliseconds, this, [this] { startScan(); });
            break;
        case Screen::firstRunHome:
            setRoute(Route::onboarding);
            QTimer::singleShot(firstRunDelayMilliseconds, this, [this] { scanHomeFolder(); });
            break;
    }
}

void AppState::loadDemonstrationScan() {
    if (!scan_) {
        ScanResult loaded = history_.loadLastScan().value_or(demonstrationScan());
        // Placeholder or not, a path marked "Never touch" is never offered.
        dropExcludedCandidates(loaded);
        setScan(std::move(loaded));
    }
    rebuildDeveloperTree();
    resetSelectionToDefaults();
    setSelectedID("root");
}

ScanResult AppState::demonstrationScan() const { return DemonstrationData::scan(clock_.now()); }

CleanupReport AppState::demonstrationReport() const { return DemonstrationData::report(clock_.now()); }

void AppState::scanHomeFolder() {
    scanFolder(home_);
    setGeneralSection(GeneralSection::explore);
    setRoute(Route::explore);
}

}  // namespace korvane
