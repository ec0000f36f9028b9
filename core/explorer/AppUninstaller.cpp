#include "core/explorer/AppUninstaller.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unordered_set>

#include "core/text/RelativeDate.h"
#include "core/text/ByteFormat.h"
#include "core/text/TextCase.h"
#include "core/system/FileDate.h"
#include "core/system/FolderListing.h"
#include "core/system/Paths.h"
#include "core/system/PropertyList.h"
#include "core/model/SizeSum.h"
#include "core/model/UUID.h"
#include "core/safety/FlatpakUninstall.h"
#include "core/safety/SafetyPolicy.h"

namespace korvane {

namespace {

// When a program file was last opened, as far as the file system can tell:
// its access time, but only where access times are kept (not on a file
// system mounted noatime, not on a file marked to skip them) and only when
// the file was read after it was last written. A download never run keeps
// the access time of its creation, at or before its last write. With the
// usual relatime the kernel still records the first read after a write and
// at least one a day, which is all a count of days needs.
std::optional<AppUninstaller::TimePoint> lastOpened(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    struct statvfs volume {};
    if (::statvfs(path.c_str(), &volume) != 0 || (volume.f_flag & ST_NOATIME) != 0) return std::nullopt;
    // Opening reads nothing, so it leaves the access time as it is.
    if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        fd >= 0) {
        int flags = 0;
        const bool skipsAccessTimes =
            ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_NOATIME_FL) != 0;
        ::close(fd);
        if (skipsAccessTimes) return std::nullopt;
    }
    const auto readAfterWrite = st.st_atim.tv_sec != st.st_mtim.tv_sec
                                    ? st.st_atim.tv_sec > st.st_mtim.tv_sec
                                    : st.st_atim.tv_nsec > st.st_mtim.tv_nsec;
    if (!readAfterWrite) return std::nullopt;
    return FileDate::fromTimespec(st.st_atim);
}

using TimePoint = AppUninstaller::TimePoint;

constexpr std::string_view bundleExtension = ".app";
constexpr std::string_view systemIdentifierPrefix = "com.apple.";
constexpr const char* leftoverRule = "apps.leftovers";
constexpr const char* bundleRule = "apps.bundle";

// The allocated size of one small file, such as a desktop entry.
std::int64_t allocatedBytes(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

// The bundle names of an application folder, in plain ascending order.
std::vector<std::string> bundleNames(const std::string& folder) {
    auto names = FolderListing::names(folder);
    if (!names) return {};
    std::vector<std::string> bundles;
    for (auto& name : *names)
        if (name.ends_with(bundleExtension)) bundles.push_back(std::move(name));
    std::sort(bundles.begin(), bundles.end());
    return bundles;
}

// A string value of the dictionary; an empty string counts as absent.
std::optional<std::string> stringValue(const PropertyList& list, const char* key) {
    auto text = list.string(key);
    if (text && text->empty()) return std::nullopt;
    return text;
}

struct BundleInfo {
    std::optional<std::string> identifier;
    std::optional<std::string> version;
};

// Identifier and version from the bundle's information dictionary (XML or
// binary). A missing, unreadable or malformed dictionary gives neither.
BundleInfo readBundleInfo(const std::string& bundle) {
    BundleInfo info;
    const auto list = PropertyList::readDictionary(Paths::join(bundle, "Contents/Info.plist"));
    if (!list) return info;
    info.identifier = stringValue(*list, "CFBundleIdentifier");
    info.version = stringValue(*list, "CFBundleShortVersionString");
    if (!info.version) info.version = stringValue(*list, "CFBundleVersion");
    return info;
}

// `name` is `identifier` itself or begins with it and "." ("com.x.App.plist").
bool isIdentifierOrBelow(std::string_view name, std::string_view identifier) {
    return name == identifier ||
           (name.size() > identifier.size() && name.starts_with(identifier) && name[identifier.size()] == '.');
}

// Largest first; ties keep their order.
template <class Item, class Key>
void sortLargestFirst(std::vector<Item>& items, Key key) {
    std::stable_sort(items.begin(), items.end(),
                     [&](const Item& a, const Item& b) { return key(a) > key(b); });
}

}  // namespace

// ---- InstalledApp ---------------------------------------------------------

std::int64_t AppUninstaller::InstalledApp::leftoverBytes() const {
    SizeSum sum;
    for (const auto& leftover : leftovers) sum += leftover.bytes;
    return sum.total();
}

std::int64_t AppUninstaller::InstalledApp::totalBytes() const {
    return SizeSum::add(SizeSum::add(0, bundleBytes), leftoverBytes());
}

std::optional<int> AppUninstaller::InstalledApp::daysSinceLastUse(TimePoint now) const {
    if (!lastUsed) return std::nullopt;
    // A date in the future counts as used today.
    return std::max(0, RelativeDate::fullDaysBetween(*lastUsed, now));
}

// ---- tables ---------------------------------------------------------------

const std::vector<AppUninstaller::Location>& AppUninstaller::leftoverLocations() {
    static const std::vector<Location> locations = {
        {"Library/Application Support", "Application Support", true},
        {"Library/Caches", "Caches", true},
        {"Library/Containers", "Container", false},
        {"Library/Group Containers", "Group container", false},
        {"Library/Preferences", "Preferences", false},
        {"Library/Saved Application State", "Saved state", false},
        {"Library/HTTPStorages", "Web storage", false},
        {"Library/WebKit", "WebKit data", false},
        {"Library/Application Scripts", "App scripts", false},
        {"Library/Logs", "Logs", true},
        {"Library/Cookies", "Cookies", false},
        {"Library/LaunchAgents", "Launch agent", false},
        {".var/app", "Sandbox data", false},
        {".config", "Settings", true},
        {".local/share", "Application data", true},
        {".cache", "Caches", true},
        {".local/state", "State", true},
    };
    return locations;
}

std::vector<std::string> AppUninstaller::defaultApplicationFolders() {
    return {"/Applications", Paths::home("Applications"), "/Applications/Utilities"};
}

// ---- uninstaller ----------------------------------------------------------

AppUninstaller::AppUninstaller()
    : AppUninstaller(defaultApplicationFolders(), LinuxAppFinder::Places::standard()) {}

AppUninstaller::AppUninstaller(std::vector<std::string> applicationFolders,
                               std::optional<LinuxAppFinder::Places> linuxPlaces) {
    if (linuxPlaces) linux_.emplace(std::move(*linuxPlaces));
    // Each folder once, standardised; a folder listed twice would list its
    // applications twice.
    for (const auto& folder : applicationFolders) {
        auto standard = Paths::standardise(folder);
        if (!standard || standard->empty() || standard->front() != '/') continue;
        if (std::find(folders_.begin(), folders_.end(), *standard) == folders_.end())
            folders_.push_back(std::move(*standard));
    }
}

void AppUninstaller::cancel() {
    cancelled_.setValue(true);
    // A large bundle stops being measured too; what it measured is dropped.
    sizer_.cancel();
}

bool AppUninstaller::isCancelled() const { return cancelled_.value(); }

void AppUninstaller::rememberIdentifier(const std::optional<std::string>& identifier) {
    if (!identifier) return;
    std::lock_guard lock(knownLock_);
    known_.insert(*identifier);
}

std::set<std::string, std::less<>> AppUninstaller::knownIdentifiers() {
    bool read = false;
    {
        std::lock_guard lock(knownLock_);
        read = foldersRead_;
    }
    if (!read) {
        // Only the information dictionaries: nothing is measured here.
        std::set<std::string, std::less<>> found;
        for (const auto& folder : folders_)
            for (const auto& name : bundleNames(folder))
                if (auto identifier = readBundleInfo(Paths::join(folder, name)).identifier)
                    found.insert(std::move(*identifier));
        if (linux_)
            for (auto& id : linux_->flatpakIDs()) found.insert(std::move(id));
        std::lock_guard lock(knownLock_);
        known_.merge(found);
        foldersRead_ = true;
    }
    std::lock_guard lock(knownLock_);
    return known_;
}

AppUninstaller::InstalledApp AppUninstaller::inspect(const std::string& bundle) {
    InstalledApp app;
    app.bundleURL = Paths::standardise(bundle).value_or(bundle);

    const BundleInfo info = readBundleInfo(app.bundleURL);
    app.bundleIdentifier = info.identifier;
    app.version = info.version;

    if (const auto measured = sizer_.measure(app.bundleURL)) app.bundleBytes = measured->bytes;

    struct stat st {};
    if (::lstat(app.bundleURL.c_str(), &st) == 0) {
        // Linux always keeps an access time; it is the closest to "last used".
        app.lastUsed = FileDate::fromTimespec(st.st_atim);
    }

    app.isSystem = (app.bundleIdentifier && app.bundleIdentifier->starts_with(systemIdentifierPrefix)) ||
                   app.bundleURL.starts_with("/System/");

    std::string name = Paths::lastComponent(app.bundleURL);
    // ".app" alone is a hidden name, not an empty name with an extension.
    if (name.ends_with(bundleExtension) && name.size() > bundleExtension.size())
        name.resize(name.size() - bundleExtension.size());
    app.name = std::move(name);
    return app;
}

AppUninstaller::InstalledApp AppUninstaller::inspect(const LinuxAppFinder::Found& found) {
    using Kind = LinuxAppFinder::Found::Kind;
    InstalledApp app;
    app.name = found.name;
    app.bundleURL = found.path;
    if (found.identifier && isUsableIdentifier(*found.identifier)) app.bundleIdentifier = found.identifier;
    app.version = found.version;
    app.icon = found.icon;
    app.iconFile = found.iconFile;
    app.desktopEntry = found.desktopEntry;
    if (found.kind == Kind::appImage)
        app.packaging = Packaging::appImage;
    else
        app.packaging = found.installation == FlatpakUninstall::Installation::user ? Packaging::flatpakUser
                                                                                    : Packaging::flatpakSystem;
    if (const auto measured = sizer_.measure(app.bundleURL)) app.bundleBytes = measured->bytes;
    // A Flatpak's folder is read by every listing, this one's included, so
    // its access time says nothing about the application's use.
    if (found.kind == Kind::appImage) app.lastUsed = lastOpened(app.bundleURL);
    return app;
}

std::vector<AppUninstaller::InstalledApp> AppUninstaller::installedApps(bool includeSystem) {
    std::vector<InstalledApp> apps;
    bool finished = true;
    for (const auto& folder : folders_) {
        for (const auto& name : bundleNames(folder)) {
            if (cancelled_.value()) {
                finished = false;
                break;
            }
            InstalledApp app = inspect(Paths::join(folder, name));
            // Its size may have been cut short by the cancel.
            if (cancelled_.value()) {
                finished = false;
                break;
            }
            // A system application owns its data even when it is not listed.
            rememberIdentifier(app.bundleIdentifier);
            if (app.isSystem && !includeSystem) continue;
            apps.push_back(std::move(app));
        }
        if (!finished) break;
    }
    if (finished && linux_) {
        for (const auto& found : linux_->find()) {
            if (cancelled_.value()) {
                finished = false;
                break;
            }
            InstalledApp app = inspect(found);
            if (cancelled_.value()) {
                finished = false;
                break;
            }
            rememberIdentifier(app.bundleIdentifier);
            apps.push_back(std::move(app));
        }
    }
    if (finished) {
        std::lock_guard lock(knownLock_);
        foldersRead_ = true;
    }
    sortLargestFirst(apps, [](const InstalledApp& app) { return app.totalBytes(); });
    return apps;
}

std::vector<AppUninstaller::InstalledApp> AppUninstaller::attachLeftovers(
    const std::vector<InstalledApp>& apps, const Progress& progress) {
    for (const auto& app : apps) rememberIdentifier(app.bundleIdentifier);
    std::vector<InstalledApp> result;
    const int total = static_cast<int>(apps.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled_.value()) break;
        if (progress) progress(i, total, apps[static_cast<std::size_t>(i)].name);
        InstalledApp app = apps[static_cast<std::size_t>(i)];
        app.leftovers = leftovers(app);
        // A search a cancel cut short would show too little: leave the
        // application out rather than list it incomplete.
        if (cancelled_.value()) break;
        result.push_back(std::move(app));
    }
    sortLargestFirst(result, [](const InstalledApp& app) { return app.totalBytes(); });
    return result;
}

std::vector<AppUninstaller::Leftover> AppUninstaller::leftovers(const InstalledApp& app) {
    std::vector<Leftover> result;
    if (cancelled_.value()) return result;
    // Data of an application installed for the user and for the system alike
    // still serves the other installation.
    const bool flatpak = app.packaging == Packaging::flatpakUser || app.packaging == Packaging::flatpakSystem;
    if (flatpak && linux_ && app.bundleIdentifier && linux_->isInstalledTwice(*app.bundleIdentifier)) return result;
    auto known = knownIdentifiers();
    if (app.bundleIdentifier) known.insert(*app.bundleIdentifier);

    std::unordered_set<std::string> taken;
    for (const auto& location : leftoverLocations()) {
        const std::string folder = Paths::home(location.relative);
        const auto names = FolderListing::names(folder);
        if (!names) continue;
        for (const auto& name : *names) {
            if (cancelled_.value()) {
                sortLargestFirst(result, [](const Leftover& leftover) { return leftover.bytes; });
                return result;
            }
            auto matchedOn = match(name, app, location);
            if (!matchedOn) continue;
            // Another installed application's data, however alike the names.
            if (app.bundleIdentifier && *matchedOn == *app.bundleIdentifier &&
                isClaimedByLongerIdentifier(name, *app.bundleIdentifier, known))
                continue;
            // The system's own data is never an ordinary application's, even
            // one whose identifier is "com.apple".
            if (!app.isSystem && name.starts_with(systemIdentifierPrefix)) continue;

            if (*matchedOn == app.name && isOtherApplicationsName(name)) continue;

            std::string path = Paths::join(folder, name);
            if (!taken.insert(path).second) continue;
            // The rule's own check, so that only its shapes (and of "~/.config"
            // nothing but an entry directly inside) are ever offered.
            if (!SafetyPolicy::check(path, leftoverRule, RemovalKind::path()).isAllowed()) continue;

            const auto measured = sizer_.measure(path);
            // A measurement a cancel cut short is not a size.
            if (cancelled_.value()) break;
            const std::int64_t bytes = measured ? measured->bytes : 0;
            if (bytes <= 0) continue;
            result.push_back(Leftover{std::move(path), bytes, location.kind, std::move(*matchedOn)});
        }
    }
    sortLargestFirst(result, [](const Leftover& leftover) { return leftover.bytes; });
    return result;
}

bool AppUninstaller::isOtherApplicationsName(std::string_view entry) {
    if (!linux_) return false;
    {
        std::lock_guard lock(knownLock_);
        if (!otherNames_) otherNames_ = linux_->otherApplicationNames();
    }
    std::string name = TextCase::lowercased(entry);
    if (name.ends_with(bundleExtension)) name.resize(name.size() - bundleExtension.size());
    std::lock_guard lock(knownLock_);
    return otherNames_->count(name) > 0;
}

bool AppUninstaller::isUsableIdentifier(std::string_view identifier) {
    if (identifier.empty()) return false;
    int parts = 1;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = identifier.find('.', start);
        const std::size_t end = dot == std::string_view::npos ? identifier.size() : dot;
        if (end == start) return false;  // an empty part
        if (dot == std::string_view::npos) break;
        ++parts;
        start = dot + 1;
    }
    return parts >= 2;
}

std::optional<std::string> AppUninstaller::match(std::string_view name, const InstalledApp& app,
                                                 const Location& location) {
    if (app.bundleIdentifier && isUsableIdentifier(*app.bundleIdentifier)) {
        const std::string& identifier = *app.bundleIdentifier;
        if (isIdentifierOrBelow(name, identifier)) return identifier;
    }
    // Whole names only: "Foo" never claims "Foobar" or "Foo Helper".
    if (location.matchesName && !app.name.empty()) {
        if (name == app.name || (name.size() == app.name.size() + bundleExtension.size() &&
                                 name.starts_with(app.name) && name.ends_with(bundleExtension)))
            return app.name;
    }
    return std::nullopt;
}

bool AppUninstaller::isClaimedByLongerIdentifier(std::string_view name, const std::string& identifier,
                                                 const std::set<std::string, std::less<>>& known) {
    // Every longer identifier that begins with `identifier` + "." sorts
    // between that text and `identifier` + "/" ("/" follows "." in ASCII).
    const std::string low = identifier + ".";
    const std::string high = identifier + "/";
    for (auto it = known.lower_bound(low); it != known.end() && *it < high; ++it) {
        const std::string& longer = *it;
        if (!isUsableIdentifier(longer)) continue;
        if (isIdentifierOrBelow(name, longer)) return true;
    }
    return false;
}

std::vector<CleanupCandidate> AppUninstaller::candidates(const InstalledApp& app, bool includeBundle) {
    std::vector<CleanupCandidate> result;
    // Everything else of the application goes only once the application itself is gone.
    std::optional<UUID> application;
    if (includeBundle) {
        DetailMap details;
        if (app.version) details["Version"] = *app.version;
        RemovalKind removal = RemovalKind::path();
        if (app.packaging == Packaging::flatpakUser || app.packaging == Packaging::flatpakSystem)
            removal = FlatpakUninstall::removal(app.bundleIdentifier.value_or(std::string()),
                                                app.packaging == Packaging::flatpakUser
                                                    ? FlatpakUninstall::Installation::user
                                                    : FlatpakUninstall::Installation::system);
        result.emplace_back(UUID::random(), CleanupCategory::toolchains, bundleRule, "Application",
                            app.name, app.bundleURL, app.bundleBytes, SafetyLevel::caution,
                            "The application itself. Removing it frees " +
                                ByteFormat::string(app.bundleBytes) +
                                "; you would need to install it again to get it back.",
                            "Re-download or reinstall " + app.name, app.lastUsed, std::move(details),
                            std::move(removal), false);
        application = result.back().id;
        if (app.packaging == Packaging::appImage && app.desktopEntry) {
            result.emplace_back(UUID::random(), CleanupCategory::toolchains, bundleRule, "Application",
                                "Desktop entry \u2014 " + Paths::lastComponent(*app.desktopEntry),
                                *app.desktopEntry, allocatedBytes(*app.desktopEntry), SafetyLevel::caution,
                                "The menu entry that starts " + app.name +
                                    ". Without the application it would start nothing.",
                                "Recreated if you install " + app.name + " again", std::nullopt, DetailMap{},
                                RemovalKind::path(), false);
            result.back().prerequisite = application;
        }
    }
    for (const auto& leftover : app.leftovers) {
        result.emplace_back(
            UUID::random(), CleanupCategory::toolchains, leftoverRule, "Left behind by " + app.name,
            leftover.kind + " \u2014 " + Paths::lastComponent(leftover.path), leftover.path, leftover.bytes,
            SafetyLevel::caution,
            leftover.kind + " belonging to " + app.name + ", matched on " + leftover.matchedOn +
                ". It stays on disk when only the application itself is removed.",
            "Recreated if you install " + app.name + " again", std::nullopt,
            std::map<std::string, std::string>{{"Matched on", leftover.matchedOn}}, RemovalKind::path(),
            false);
        result.back().prerequisite = application;
    }
    return result;
}

}  // namespace korvane
