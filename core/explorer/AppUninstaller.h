#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/explorer/LinuxAppFinder.h"
#include "core/model/CleanupCandidate.h"
#include "core/system/FastSizer.h"
#include "core/system/Flag.h"

namespace korvane {

// Lists the installed applications with their size and last use, finds what
// each one has left in the user's data folders, and turns an application and
// its leftovers into cleanup candidates. It never removes anything: the
// candidates go through the ordinary review, check and cleanup.
//
// Cancellation is one-way: once cancel() was called every later listing
// stops at its first test, so make a new uninstaller for each listing. One
// sizer serves the uninstaller's whole life, so a file with several hard
// links counts once across everything it measures.
class AppUninstaller {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    // Something an application left behind.
    struct Leftover {
        std::string path;        // absolute, standardised
        std::int64_t bytes = 0;  // allocated size
        std::string kind;        // the location's label ("Caches")
        std::string matchedOn;   // the identifier or the application name that matched

        friend bool operator==(const Leftover&, const Leftover&) = default;
    };

    // How an application was installed, which decides how it is removed.
    enum class Packaging { bundle, appImage, flatpakUser, flatpakSystem };

    struct InstalledApp {
        std::string name;       // the bundle's file name without ".app", or the desktop entry's Name
        std::string bundleURL;  // the bundle, AppImage or Flatpak "app/<id>" folder: absolute, standardised
        std::optional<std::string> bundleIdentifier;
        std::optional<std::string> version;
        std::int64_t bundleBytes = 0;  // 0 when it cannot be measured
        std::optional<TimePoint> lastUsed;
        bool isSystem = false;
        std::vector<Leftover> leftovers;  // empty until attachLeftovers fills it
        Packaging packaging = Packaging::bundle;
        std::optional<std::string> icon;          // the desktop entry's Icon: a theme name or a file
        std::optional<std::string> iconFile;      // a file that draws it, when one was found
        std::optional<std::string> desktopEntry;  // an AppImage's desktop entry, removed with it

        const std::string& id() const { return bundleURL; }
        std::int64_t leftoverBytes() const;
        // The sort key of every list of installed applications.
        std::int64_t totalBytes() const;
        // Full days in local time from `lastUsed` to `now`; absent without a
        // date, 0 for a date in the future.
        std::optional<int> daysSinceLastUse(TimePoint now = std::chrono::system_clock::now()) const;

        friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
    };

    // A folder under the home folder that applications leave data in.
    struct Location {
        std::string relative;      // path under the home folder
        std::string kind;          // label shown to the user
        bool matchesName = false;  // entries may match the application's name too

        friend bool operator==(const Location&, const Location&) = default;
    };

    // (position counted from 0, total count, application name)
    using Progress = std::function<void(int position, int total, const std::string& name)>;

    // The twelve Library folders, then the Flatpak data folder and the four
    // per-user data folders, in the order they are searched.
    static const std::vector<Location>& leftoverLocations();
    // "/Applications", "~/Applications" (for the home folder in force) and
    // "/Applications/Utilities".
    static std::vector<std::string> defaultApplicationFolders();

    // The standard application folders and Linux places.
    AppUninstaller();
    // Lists bundles in `applicationFolders` (each one level deep), and
    // AppImages and Flatpaks in `linuxPlaces` when given.
    explicit AppUninstaller(std::vector<std::string> applicationFolders,
                            std::optional<LinuxAppFinder::Places> linuxPlaces = std::nullopt);
    AppUninstaller(const AppUninstaller&) = delete;
    AppUninstaller& operator=(const AppUninstaller&) = delete;

    // Asks every running and later operation to stop. Safe from any thread.
    void cancel();
    bool isCancelled() const;

    const std::vector<std::string>& applicationFolders() const { return folders_; }

    // The ".app" bundles directly inside the application folders, the
    // AppImages and the Flatpak applications, largest first, without
    // leftovers. System applications only when asked for.
    std::vector<InstalledApp> installedApps(bool includeSystem = false);

    // The applications with their leftovers, largest first. After a cancel,
    // only the applications whose search finished are in the result.
    std::vector<InstalledApp> attachLeftovers(const std::vector<InstalledApp>& apps,
                                              const Progress& progress = {});

    // What `app` left in the Library folders, largest first. Data that
    // belongs to another known application with a longer identifier
    // ("com.x.App.beta" for "com.x.App") is never included.
    std::vector<Leftover> leftovers(const InstalledApp& app);

    // The bundle candidate (when `includeBundle`; with an AppImage's desktop
    // entry, and for a Flatpak the `flatpak uninstall` command) and one per
    // leftover, in category toolchains, all for review and none selected.
    // With the bundle, the others wait for it: they stay when it cannot go.
    static std::vector<CleanupCandidate> candidates(const InstalledApp& app, bool includeBundle);

    // One bundle, as found: every bundle yields an application; what cannot
    // be read is absent or 0.
    InstalledApp inspect(const std::string& bundle);

    // The identifier or name that lets the entry `name` in `location` belong
    // to `app`, or nothing. Exact and case-sensitive: "com.foo.Bar" matches
    // "com.foo.Bar", "com.foo.Bar.plist" but not "com.foo.Barista"; the name
    // "Foo" matches "Foo" and "Foo.app" where the location allows names.
    static std::optional<std::string> match(std::string_view name, const InstalledApp& app,
                                            const Location& location);

    // True when an identifier in `known`, longer than `identifier` and
    // beginning with it and ".", also claims the entry `name`.
    static bool isClaimedByLongerIdentifier(std::string_view name, const std::string& identifier,
                                            const std::set<std::string, std::less<>>& known);

    // An identifier with at least two parts and no empty part.
    static bool isUsableIdentifier(std::string_view identifier);

private:
    // Identifiers of every bundle this uninstaller has seen, system ones
    // included; read from the application folders once when needed.
    std::set<std::string, std::less<>> knownIdentifiers();
    void rememberIdentifier(const std::optional<std::string>& identifier);

    // One application found by the Linux finder, measured.
    InstalledApp inspect(const LinuxAppFinder::Found& found);

    std::vector<std::string> folders_;
    std::optional<LinuxAppFinder> linux_;
    FastSizer sizer_;
    Flag cancelled_;

    std::mutex knownLock_;  // guards the two fields below only
    std::set<std::string, std::less<>> known_;
    bool foldersRead_ = false;
    std::optional<std::set<std::string>> otherNames_;  // read once, when first needed

    // Whether an entry matched by name may belong to an application
    // installed otherwise (a package's "code" owns "~/.config/Code").
    bool isOtherApplicationsName(std::string_view entry);
};

}  // namespace korvane
