#include "app/presenters/ApplicationsContent.h"

#include <algorithm>

#include "app/presenters/CountText.h"
#include "app/presenters/GeneralSidebarContent.h"
#include "app/presenters/OneLineText.h"
#include "app/state/PlatformWords.h"
#include "core/text/ByteFormat.h"
#include "core/text/TextCase.h"

namespace korvane {

namespace {

std::string trimmedOfBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<InstalledApp> filteredApps(const std::vector<InstalledApp>& apps, const std::string& filter) {
    const std::string needle = TextCase::lowercased(trimmedOfBlanks(filter));
    if (needle.empty()) return apps;
    std::vector<InstalledApp> kept;
    for (const auto& app : apps)
        if (TextCase::lowercased(app.name).find(needle) != std::string::npos) kept.push_back(app);
    return kept;
}

AppRowContent appRowContent(const InstalledApp& app, std::chrono::system_clock::time_point now) {
    AppRowContent row{app.name, ByteFormat::string(app.totalBytes()), std::nullopt, std::nullopt};
    // A part of the total, not more on top of it.
    if (app.leftoverBytes() >= 1) row.leftBehind = ByteFormat::string(app.leftoverBytes()) + " of it left behind";
    if (const auto days = app.daysSinceLastUse(now); days && *days >= 91) row.age = std::to_string(*days / 30) + "mo";
    return row;
}

AppDetailContent appDetailContent(const InstalledApp& app, bool includeBundle,
                                  std::chrono::system_clock::time_point now,
                                  std::optional<Disposal> disposalOverride) {
    AppDetailContent detail;
    detail.name = app.name;
    if (app.version) detail.version = "Version " + *app.version;
    detail.identifier = app.bundleIdentifier;
    detail.facts.push_back({"Application", ByteFormat::string(app.bundleBytes), AppFact::Tint::ink});
    if (app.leftoverBytes() >= 1)
        detail.facts.push_back({"Left behind", ByteFormat::string(app.leftoverBytes()), AppFact::Tint::amber});
    detail.facts.push_back({"Total", ByteFormat::string(app.totalBytes()), AppFact::Tint::accent});
    if (const auto days = app.daysSinceLastUse(now))
        detail.facts.push_back(
            {"Last opened", *days < 61 ? "recently" : std::to_string(*days) + " days ago", AppFact::Tint::ink});

    detail.leftoversHeader = countText(static_cast<std::int64_t>(app.leftovers.size()), "item") + " \u00b7 " +
                             ByteFormat::string(app.leftoverBytes());
    for (const auto& leftover : app.leftovers)
        detail.leftovers.push_back(
            {leftover.kind, homeRelativePath(leftover.path), ByteFormat::string(leftover.bytes), true});
    if (!detail.leftovers.empty()) detail.leftovers.back().hasDivider = false;

    const bool flatpak = app.packaging == AppUninstaller::Packaging::flatpakUser ||
                         app.packaging == AppUninstaller::Packaging::flatpakSystem;
    // The uninstall opens the review, which removes the way it is set to.
    const bool deletes = disposalOverride == Disposal::delete_;
    detail.note =
        std::string(flatpak ? (deletes ? platformWords::flatpakDeletedNote : platformWords::flatpakNote)
                            : (deletes ? platformWords::deletedNote : platformWords::systemManagedNote));

    const std::int64_t removed = includeBundle ? app.totalBytes() : app.leftoverBytes();
    detail.uninstallTitle = "Uninstall " + ByteFormat::string(removed);
    detail.uninstallEnabled = removed != 0;
    return detail;
}

ApplicationsPageContent applicationsPageContent(const std::vector<InstalledApp>& apps, bool isScanning,
                                                const std::string& progress,
                                                const std::optional<InstalledApp>& selected,
                                                const std::string& filter,
                                                std::optional<Disposal> disposalOverride) {
    ApplicationsPageContent page;
    page.disposalOverride = disposalOverride;
    page.showsLooking = isScanning && apps.empty();
    if (isScanning && !progress.empty()) page.footer = progress;
    page.refreshEnabled = !isScanning;
    page.rows = filteredApps(apps, filter);
    if (selected) {
        for (std::size_t i = 0; i < page.rows.size(); ++i)
            if (page.rows[i].bundleURL == selected->bundleURL) page.selectedRow = i;
        page.detail = selected;
    } else if (!page.rows.empty()) {
        page.detail = page.rows.front();
    }
    page.noApplications = {"app.badge", "No applications found",
                           "Korvane looks for AppImages in the Applications, Apps and .local/bin folders of your home, "
                           "and for Flatpak applications."};
    // Applications were found: the filter hides them, and the pane must not say there are none.
    if (!apps.empty() && page.rows.empty())
        page.noApplications = {"magnifyingglass",
                               "Nothing matches \u201C" + oneLineText(trimmedOfBlanks(filter)) + "\u201D",
                               "No name holds that text. Clear the filter to see the " +
                                   countText(static_cast<std::int64_t>(apps.size()), "application") + " found."};
    return page;
}

bool applicationsPageShouldScan(const std::vector<InstalledApp>& apps, bool isScanning) {
    return apps.empty() && !isScanning;
}

double appListColumnWidth(double pageWidth, double rowsNeed) {
    const double narrowest = std::clamp(rowsNeed, appListMinimumWidth, appListWidth);
    // Past the hairline between the columns.
    return std::clamp(pageWidth - 1 - appDetailRoomWidth, narrowest, appListWidth);
}

}  // namespace korvane
