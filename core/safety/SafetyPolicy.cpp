#include "core/safety/SafetyPolicy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>

#include "core/system/Paths.h"
#include "core/system/FolderListing.h"
#include "core/system/RealPath.h"
#include "core/system/ToolPlaces.h"
#include "core/system/TrashFolders.h"

namespace korvane {

namespace {

// Every reason a refusal can carry, in one place.
namespace reason {
constexpr const char* notAbsolute = "Not an absolute path";
constexpr const char* protectedFolder = "This is a protected system or home folder";
constexpr const char* outsideHome = "Outside your home folder";
constexpr const char* tooCloseToRoot = "Too close to the root of the disk";
constexpr const char* resolvesProtected = "Resolves to a protected location";
constexpr const char* sourceRepository = "Looks like a source repository";
constexpr const char* onlyBundles = "Only application bundles can be removed from here";
constexpr const char* protectedSystemFolder = "This is a protected system folder";
constexpr const char* systemApplication = "System applications are managed by the system";
constexpr const char* resolvesElsewhere = "Resolves somewhere else";
constexpr const char* invalidPath = "Not a valid path";
constexpr const char* unusableHome = "Your home folder cannot be used safely, so Korvane removes nothing";
constexpr const char* cannotLook = "Korvane cannot look inside this to check it, so it leaves it alone";
constexpr const char* cancelled = "Cancelled before this item was checked";
constexpr const char* anotherUser = "Belongs to another user, so Korvane leaves it alone";
constexpr const char* sharedByDesktop = "The desktop and every application share this folder";
constexpr const char* theTrash = "This is the Trash, which Korvane never removes";
constexpr const char* inTrash = "In the Trash; only putting it back or emptying the Trash touches it";
constexpr const char* holdsTrash = "Holds the Trash, which Korvane never removes";

std::string notRegistered(std::string_view ruleID) {
    return "Rule \u201C" + std::string(ruleID) + "\u201D is not registered for removal";
}
std::string shapeMismatch(std::string_view ruleID) {
    return "Path does not match the shape \u201C" + std::string(ruleID) + "\u201D is allowed to produce";
}
std::string containsName(std::string_view name) {
    return "Contains \u201C" + std::string(name) + "\u201D, which Korvane never removes";
}
}  // namespace reason

struct RuleRow {
    const char* id;
    std::vector<std::string> shapes;
};

// The editors' cache folders inside ~/.config, the only developer caches
// there: each one the other platform's rule allows, with the two further
// caches the same browser engine keeps beside "Cache".
const std::vector<std::string>& editorCacheFolders() {
    static const std::vector<std::string> folders = {
        "Code/Cache",      "Code/CachedData",   "Code/CachedExtensionVSIXs", "Code/GPUCache",
        "Code/Code Cache", "Cursor/Cache",      "Cursor/CachedData",         "Cursor/GPUCache",
        "Cursor/Code Cache", "Windsurf/CachedData",
    };
    return folders;
}

// An SDK package shape under each place the SDK lives: the other platform's
// folder, Android Studio's default here, and the root the environment names.
std::vector<std::string> sdkShapes(const std::string& rest) {
    return {"~/Library/Android/sdk/" + rest, "~/Android/Sdk/" + rest, "$sdk/" + rest};
}

// Xcode, its simulators and the Swift packages it fetches.
std::vector<RuleRow> appleToolRows() {
    return {
        {"xcode.derivedData", {"~/Library/Developer/Xcode/DerivedData/*"}},
        {"xcode.moduleCache",
         {"~/Library/Developer/Xcode/DerivedData/ModuleCache.noindex",
          "~/Library/Developer/Xcode/DerivedData/ModuleCache.noindex/*"}},
        {"xcode.archives", {"~/Library/Developer/Xcode/Archives/*/*"}},
        {"xcode.deviceSupport",
         {"~/Library/Developer/Xcode/iOS DeviceSupport/*",
          "~/Library/Developer/Xcode/watchOS DeviceSupport/*",
          "~/Library/Developer/Xcode/tvOS DeviceSupport/*",
          "~/Library/Developer/Xcode/visionOS DeviceSupport/*"}},
        {"xcode.simulatorDevices", {"~/Library/Developer/CoreSimulator/Devices/*"}},
        {"xcode.simulatorCaches", {"~/Library/Developer/CoreSimulator/Caches/**"}},
        {"xcode.simulatorRuntimes", {"~/Library/Developer/CoreSimulator/Profiles/Runtimes/*"}},
        {"xcode.appCache",
         {"~/Library/Caches/com.apple.dt.Xcode/**", "~/Library/Developer/Xcode/UserData/Previews/**",
          "~/Library/Developer/Xcode/Products/*"}},
        {"xcode.swiftpm",
         {"~/Library/Caches/org.swift.swiftpm/**", "~/Library/org.swift.swiftpm/**",
          "~/Library/Developer/Xcode/DerivedData/*/SourcePackages"}},
        {"xcode.documentation",
         {"~/Library/Developer/Xcode/DocumentationCache/**",
          "~/Library/Caches/com.apple.dt.Xcode.DeveloperDocumentation/**"}},
        {"xcode.instruments", {"~/Library/Developer/Xcode/DerivedData/*/Logs"}},
        {"xcode.simctl", {"~/Library/Developer/CoreSimulator/Devices"}},
    };
}

// Node and the JavaScript package managers and build tools.
std::vector<RuleRow> javaScriptRows() {
    return {
        {"node.modules", {"**/node_modules"}},
        {"node.npmCache", {"~/.npm/_cacache", "~/.npm/_logs"}},
        {"node.yarnCache", {"~/Library/Caches/Yarn/**", "~/.yarn/berry/cache", "$cache/yarn/**"}},
        {"node.pnpmStore",
         {"~/Library/pnpm/store/**", "~/.pnpm-store/**", "~/Library/Caches/pnpm/**",
          "~/.local/share/pnpm/store/**"}},
        {"node.bunCache", {"~/.bun/install/cache/**"}},
        {"node.denoCache", {"~/Library/Caches/deno/**", "$cache/deno/**"}},
        {"node.nextBuild", {"**/.next"}},
        {"node.viteCache", {"**/node_modules/.vite", "**/.turbo", "**/.parcel-cache"}},
        {"node.nvmVersions", {"~/.nvm/versions/node/*"}},
    };
}

// Gradle and the Android SDK.
std::vector<RuleRow> gradleAndAndroidRows() {
    return {
        {"gradle.caches", {"~/.gradle/caches/*"}},
        {"gradle.wrapperDists", {"~/.gradle/wrapper/dists/*/*"}},
        {"gradle.daemon", {"~/.gradle/daemon/*"}},
        {"gradle.nativeAndJdks", {"~/.gradle/native/**", "~/.gradle/jdks/*"}},
        {"gradle.projectBuilds", {"**/build", "**/.gradle"}},
        {"android.systemImages", sdkShapes("system-images/*/*/*")},
        {"android.platforms", sdkShapes("platforms/*")},
        {"android.buildTools", sdkShapes("build-tools/*")},
        {"android.ndk", sdkShapes("ndk/*")},
        {"android.sources", sdkShapes("sources/*")},
        {"android.emulatorCaches",
         {"~/.android/cache/**", "~/.android/avd/*/*.lock", "~/Library/Android/sdk/.temp/**",
          "~/Android/Sdk/.temp/**", "$sdk/.temp/**"}},
        {"android.avd", {"~/.android/avd/*"}},
    };
}

// CocoaPods, React Native and Flutter.
std::vector<RuleRow> mobileFrameworkRows() {
    return {
        {"cocoapods.cache", {"~/Library/Caches/CocoaPods/**", "$cache/CocoaPods/**"}},
        {"cocoapods.repos", {"~/.cocoapods/repos/*"}},
        {"cocoapods.projectPods", {"**/Pods"}},
        {"rn.metroCache",
         {"/private/var/folders/*/*/*/metro-*", "/var/folders/*/*/*/metro-*",
          "/private/var/folders/*/*/*/haste-map-*", "/var/folders/*/*/*/haste-map-*",
          "/private/var/folders/*/*/*/react-*", "/var/folders/*/*/*/react-*", "$tmp/metro-*",
          "$tmp/haste-map-*", "$tmp/react-*"}},
        {"rn.expoCache", {"~/.expo/**", "**/.expo", "~/Library/Caches/Expo/**"}},
        {"rn.watchman",
         {"/private/var/folders/*/*/*/*watchman*", "/var/folders/*/*/*/*watchman*", "$tmp/*watchman*"}},
        {"rn.androidBuilds", {"**/android/app/build", "**/android/build", "**/android/.gradle"}},
        {"rn.iosBuilds", {"**/ios/build", "**/ios/Pods"}},
        {"flutter.pubCache",
         {"~/.pub-cache/hosted/**", "~/.pub-cache/git/**", "~/.pub-cache/.pub-cache-tmp/**"}},
        {"flutter.sdkCache", {"**/flutter/bin/cache/artifacts/**", "**/flutter/bin/cache/download/**"}},
        {"flutter.projectBuilds", {"**/.dart_tool", "**/build"}},
    };
}

// Package managers, language toolchains and editors.
std::vector<RuleRow> languageToolRows() {
    return {
        {"brew.cache", {"~/Library/Caches/Homebrew/**", "$cache/Homebrew/**"}},
        {"rust.registry",
         {"~/.cargo/registry/cache/**", "~/.cargo/registry/src/**", "~/.cargo/git/checkouts/**"}},
        {"rust.toolchains", {"~/.rustup/toolchains/*", "~/.rustup/downloads/**"}},
        {"go.buildCache", {"~/Library/Caches/go-build/**", "$cache/go-build/**"}},
        {"go.modCache", {"~/go/pkg/mod/cache/download/**", "~/go/pkg/mod/*"}},
        {"python.pipCache",
         {"~/Library/Caches/pip/**", "$cache/pip/**", "~/Library/Caches/uv/**",
          "~/Library/Caches/pypoetry/**", "$cache/uv/**", "$cache/pypoetry/**"}},
        {"python.venvs", {"**/.venv", "**/venv"}},
        {"maven.repository", {"~/.m2/repository/*"}},
        {"jetbrains.caches", {"~/Library/Caches/JetBrains/**", "$cache/JetBrains/**"}},
        {"editors.caches",
         {"~/Library/Application Support/Code/Cache/**", "~/Library/Application Support/Code/CachedData/**",
          "~/Library/Application Support/Code/CachedExtensionVSIXs/**",
          "~/Library/Application Support/Cursor/Cache/**",
          "~/Library/Application Support/Cursor/CachedData/**",
          "~/Library/Application Support/Windsurf/CachedData/**", "$editorCaches"}},
        {"swift.toolchains", {"~/Library/Caches/org.swift.swiftpm/**"}},
    };
}

// Applications, what they leave behind, and folders the user picks by hand.
std::vector<RuleRow> applicationRows() {
    return {
        {"apps.bundle",
         {"/Applications/*", "/Applications/Utilities/*", "~/Applications/*", "~/Apps/*.AppImage",
          "~/.local/bin/*.AppImage", "~/.local/share/applications/*.desktop"}},
        {"apps.leftovers",
         {"~/Library/Application Support/*", "~/Library/Caches/*", "~/Library/Containers/*",
          "~/Library/Group Containers/*", "~/Library/Preferences/*", "~/Library/Saved Application State/*",
          "~/Library/HTTPStorages/*", "~/Library/WebKit/*", "~/Library/Application Scripts/*",
          "~/Library/Logs/*", "~/Library/Cookies/*", "~/Library/LaunchAgents/*", "~/.var/app/*", "~/.config/*",
          "~/.local/share/*", "~/.cache/*", "~/.local/state/*"}},
        {"general.userChoice", {"~/**"}},
    };
}

// The shapes each rule may produce, in registration order. Besides "~", a
// shape may begin with a place that follows the environment: "$cache" (the
// user's cache folder), "$sdk" (the Android SDK the environment names, inside
// the home) and "$tmp" (the temporary folder); a shape whose place is not in
// force is left out.
const std::vector<RuleRow>& ruleRows() {
    static const std::vector<RuleRow> rows = [] {
        std::vector<RuleRow> all;
        for (const std::vector<RuleRow>& group : {appleToolRows(), javaScriptRows(), gradleAndAndroidRows(),
                                                   mobileFrameworkRows(), languageToolRows(), applicationRows()})
            all.insert(all.end(), group.begin(), group.end());
        return all;
    }();
    return rows;
}

const std::vector<std::string>& protectedRoots() {
    static const std::vector<std::string> roots = {"/",    "/System", "/Applications", "/Users", "/Library",
                                                   "/usr", "/bin",    "/etc",          "/var",   "/opt"};
    return roots;
}

const std::vector<std::string>& protectedHomeSuffixes() {
    static const std::vector<std::string> suffixes = {
        "/Library",
        "/Documents",
        "/Desktop",
        "/Downloads",
        "/Pictures",
        "/Movies",
        "/Music",
        "/Public",
        "/Applications",
        "/Library/Developer",
        "/Library/Caches",
        "/Library/Application Support",
        "/Library/Developer/Xcode",
        "/Library/Developer/CoreSimulator",
        "/Library/Android",
        "/Library/Android/sdk",
        "/.gradle",
        "/.android",
        "/.npm",
        "/.cargo",
        "/go",
        "/.nvm",
        "/.rustup",
        "/.pub-cache",
        "/.m2",
        "/Android",
        "/Android/Sdk",
        "/.cache",
    };
    return suffixes;
}

// The protected folders that follow from the home folder alone.
std::set<std::string> fixedProtectedFolders(const std::string& home) {
    std::set<std::string> folders(protectedRoots().begin(), protectedRoots().end());
    folders.insert(home);
    for (const auto& suffix : protectedHomeSuffixes()) folders.insert(home + suffix);
    return folders;
}

std::vector<std::string> allowedRootsOf(const std::string& home) {
    return {home, "/private/var/folders", "/var/folders"};
}

// Begins with the prefix followed by "/" (the prefix itself does not count).
bool isStrictlyBelow(std::string_view path, std::string_view prefix) {
    return path != prefix && Paths::isAtOrBelow(path, prefix);
}

const std::string* enclosingFolder(std::string_view path, const std::vector<std::string>& folders) {
    for (const auto& folder : folders)
        if (Paths::isAtOrBelow(path, folder)) return &folder;
    return nullptr;
}

std::vector<std::string_view> componentsOf(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool holdsProtectedName(std::string_view path) {
    for (auto component : componentsOf(path))
        if (SafetyPolicy::protectedNames().count(component)) return true;
    return false;
}

// The home folder, and the places that follow the environment, that every
// table and verdict of one call refers to, read once per call so that a call
// never mixes two homes.
struct Home {
    std::string path;
    bool usable = false;
    std::string cache;                     // the user's cache folder
    std::optional<std::string> sdk;        // the Android SDK the environment names, inside the home
    std::optional<std::string> temporary;  // the temporary folder whose own entries may be offered
    TrashFolders trash;                    // the Trash folders, never touched

    // Tells registries apart: no part holds a NUL byte.
    std::string key() const {
        return path + '\0' + cache + '\0' + sdk.value_or("") + '\0' + temporary.value_or("");
    }
};

// A folder the environment names may stand in shapes only where its text
// means just itself and the general verdict could allow something inside.
bool isUsablePlace(const std::string& folder, const std::string& home) {
    return ToolPlaces::isPlainPath(folder) && !fixedProtectedFolders(home).count(folder) &&
           !holdsProtectedName(folder);
}

Home currentHome() {
    Home home{Paths::home(), Paths::homeIsUsable(), {}, std::nullopt, std::nullopt, TrashFolders()};
    if (home.path.empty() || home.path == "/" || home.path.front() != '/' || !Paths::isValid(home.path))
        home.usable = false;
    home.cache = ToolPlaces::cacheHomeFor(home.path);
    if (auto sdk = ToolPlaces::environmentSdkRoot();
        sdk && isStrictlyBelow(*sdk, home.path) && isUsablePlace(*sdk, home.path))
        home.sdk = std::move(sdk);
    // Never a folder that holds the home: its entries are homes too.
    if (auto temporary = ToolPlaces::temporaryDirectory();
        isUsablePlace(temporary, home.path) && !Paths::isAtOrBelow(home.path, temporary))
        home.temporary = std::move(temporary);
    return home;
}

std::set<std::string> protectedHomeFoldersOf(const Home& home) {
    auto folders = fixedProtectedFolders(home.path);
    folders.insert(home.cache);
    if (home.sdk) folders.insert(*home.sdk);
    return folders;
}

// The editor cache folders inside ~/.config, in order.
std::vector<std::string> editorCachesOf(const std::string& home) {
    std::vector<std::string> folders;
    for (const auto& folder : editorCacheFolders()) folders.push_back(home + "/.config/" + folder);
    return folders;
}

bool isEditorCache(const std::string& path, const std::string& home) {
    const auto folders = editorCachesOf(home);
    return std::any_of(folders.begin(), folders.end(),
                       [&path](const std::string& folder) { return Paths::isAtOrBelow(path, folder); });
}

// A shape text of the table as it reads for one home, so that a table is
// built for exactly one home whatever the process-wide home is meanwhile;
// none for a shape whose place is not in force.
std::vector<std::string> expandedShapes(const std::string& text, const Home& home) {
    const auto under = [&text](std::string_view place, const std::optional<std::string>& folder) {
        std::vector<std::string> shapes;
        if (folder) shapes.push_back(*folder + text.substr(place.size()));
        return shapes;
    };
    if (text == "$editorCaches") {
        std::vector<std::string> shapes;
        for (const auto& folder : editorCachesOf(home.path)) shapes.push_back(folder + "/**");
        return shapes;
    }
    if (text == "~") return {home.path};
    if (text.starts_with("~/")) return under("~", home.path);
    if (text.starts_with("$cache/")) return under("$cache", home.cache);
    if (text.starts_with("$sdk/")) return under("$sdk", home.sdk);
    if (text.starts_with("$tmp/")) return under("$tmp", home.temporary);
    return {text};
}

SafetyPolicy::RuleShapes buildRuleShapes(const Home& home) {
    SafetyPolicy::RuleShapes shapes;
    for (const auto& row : ruleRows()) {
        std::vector<std::string> texts;
        for (const auto& shape : row.shapes)
            for (auto& text : expandedShapes(shape, home)) texts.push_back(std::move(text));
        SafetyPolicy::registerRule(row.id, texts, shapes);
    }
    return shapes;
}

// The registry for one home and its places. Each table is built once and
// kept for the life of the process (they change only under tests), so
// references handed out stay valid and readers never wait for a rebuild.
const SafetyPolicy::RuleShapes& ruleShapesFor(const Home& home) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<const SafetyPolicy::RuleShapes>> tables;
    const std::string key = home.key();
    {
        std::lock_guard lock(mutex);
        auto found = tables.find(key);
        if (found != tables.end()) return *found->second;
    }
    // Built outside the lock: parsing may consult the home folder, which has
    // its own lock.
    auto built = std::make_unique<const SafetyPolicy::RuleShapes>(buildRuleShapes(home));
    std::lock_guard lock(mutex);
    auto [entry, inserted] = tables.try_emplace(key, std::move(built));
    return *entry->second;
}

// What a folder is, whatever path it is reached by.
using Identity = std::pair<dev_t, ino_t>;

std::optional<Identity> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

Identity identityOf(const RealPath::Step& step) { return {step.device, step.inode}; }

// The first step below the allowed root that is a mount (a bind mount of the
// same device included): from there on, neither the path's text nor its
// links tell what the folders really are.
std::optional<std::size_t> firstMountBelow(const std::vector<RealPath::Step>& steps, std::size_t rootDepth) {
    for (std::size_t i = std::max<std::size_t>(rootDepth, 1); i < steps.size(); ++i)
        if (steps[i].mountRoot || steps[i].device != steps[i - 1].device) return i;
    return std::nullopt;
}

// Recognises protected places shown under another name by a mount: the
// protected folders themselves, and everything inside the entries with a
// protected name that the home folder (or its Library and .config) holds.
bool reachesProtectedPlace(const std::vector<RealPath::Step>& steps, std::size_t from, bool complete,
                           const std::string& home, const std::set<std::string>& protectedFolders) {
    std::set<Identity> named;
    for (const std::string& folder : {home, home + "/Library", home + "/.config"})
        for (const auto& name : SafetyPolicy::protectedNames())
            if (auto id = identityOf(folder + "/" + name)) named.insert(*id);
    // Inside ~/.config only the editors' caches are admitted: their folders and
    // everything else they hold keep that protection wherever a mount shows them.
    const auto caches = editorCachesOf(home);
    std::set<std::string> editors;
    for (const auto& cache : caches) editors.insert(Paths::parent(cache));
    for (const auto& editor : editors) {
        if (auto id = identityOf(editor)) named.insert(*id);
        for (const auto& name : FolderListing::names(editor).value_or(std::vector<std::string>{}))
            if (const auto entry = Paths::join(editor, name);
                std::find(caches.begin(), caches.end(), entry) == caches.end())
                if (auto id = identityOf(entry)) named.insert(*id);
    }
    for (std::size_t i = from; i < steps.size(); ++i)
        if (named.count(identityOf(steps[i]))) return true;
    if (!complete) return false;
    const Identity item = identityOf(steps.back());
    for (const auto& folder : protectedFolders)
        if (identityOf(folder) == item) return true;
    return false;
}

// The one place below the protected "~/.config" that anything may be removed
// from: an application's own folder directly inside it, left behind by an
// uninstalled application. Nothing deeper, and never for another rule.
bool isConfigEntry(std::string_view path, const std::string& home) {
    return Paths::parent(path) == home + "/.config";
}

// Entries of the per-user data folders that the desktop itself keeps there;
// they never belong to one application, whatever its name.
const std::set<std::string, std::less<>>& desktopOwnedNames() {
    static const std::set<std::string, std::less<>> names = {
        "Trash", "applications", "flatpak", "icons", "mime", "fonts", "themes", "autostart", "systemd",
        "environment.d", "menus", "desktop-directories", "keyrings", "dconf", "Korvane", "recently-used.xbel",
        "user-dirs.dirs", "user-dirs.locale", "mimeapps.list",
    };
    return names;
}

bool isDesktopOwnedEntry(std::string_view path, const std::string& home) {
    const std::string parent = Paths::parent(path);
    for (const char* folder : {"/.config", "/.local/share", "/.cache", "/.local/state"})
        if (parent == home + folder) return desktopOwnedNames().count(Paths::lastComponent(path)) > 0;
    return false;
}

// The shared temporary folder's entries may go only when they are the
// user's own.
std::optional<SafetyPolicy::Verdict> temporaryOwnerVerdict(const std::string& path) {
    using Verdict = SafetyPolicy::Verdict;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (st.st_uid != ::geteuid()) return Verdict::denied(reason::anotherUser);
    } else if (errno != ENOENT) {
        return Verdict::denied(reason::cannotLook);
    }
    return std::nullopt;
}

// Where home (or a folder above it) is itself a link, the resolved path is
// compared with the resolved forms of the folders as well. Gives the allowed
// root the resolved path lies in (held by `resolvedRoots`), or none when it
// leads somewhere protected.
const std::string* resolvedRootOf(const std::string& resolved, const std::vector<std::string>& roots,
                                  const std::set<std::string>& protectedFolders, bool admitConfigEntry,
                                  std::vector<std::string>& resolvedRoots) {
    resolvedRoots = roots;
    for (const auto& folder : roots) resolvedRoots.push_back(RealPath::resolved(folder));
    auto resolvedProtected = protectedFolders;
    for (const auto& folder : protectedFolders) resolvedProtected.insert(RealPath::resolved(folder));

    const std::string* resolvedRoot = enclosingFolder(resolved, resolvedRoots);
    if (!resolvedRoot || resolvedProtected.count(resolved) || *resolvedRoot == resolved ||
        componentsOf(resolved).size() < 3)
        return nullptr;
    // A link must not lead into a protected name either ("~/work" -> "~/.ssh").
    // An admitted entry of "~/.config" stays admitted where home itself is
    // reached through a link.
    const auto& names = SafetyPolicy::protectedNames();
    const auto below = componentsOf(std::string_view(resolved).substr(resolvedRoot->size()));
    const bool admittedBelow = admitConfigEntry && below.size() == 2 && below[0] == ".config";
    for (std::size_t i = 0; i < below.size(); ++i) {
        if (admittedBelow && i == 0) continue;
        if (names.count(below[i])) return nullptr;
    }
    return resolvedRoot;
}

// Nothing in a Trash folder is ever removed, nor a Trash folder itself.
std::optional<SafetyPolicy::Verdict> trashVerdict(std::string_view path, const TrashFolders& trash) {
    using Verdict = SafetyPolicy::Verdict;
    if (auto folder = trash.holding(path))
        return Verdict::denied(*folder == path ? reason::theTrash : reason::inTrash);
    return std::nullopt;
}

// The same for a resolved path, also by what each of its folders is: a bind
// mount may show the home trash under any name.
std::optional<SafetyPolicy::Verdict> resolvedTrashVerdict(const RealPath::Resolution& real,
                                                          const TrashFolders& trash) {
    using Verdict = SafetyPolicy::Verdict;
    if (auto denied = trashVerdict(real.path, trash)) return denied;
    for (std::size_t i = 0; i < real.steps.size(); ++i)
        if (real.steps[i].isDirectory && trash.isHomeTrash(real.steps[i].device, real.steps[i].inode))
            return Verdict::denied(i + 1 == real.steps.size() && real.complete() ? reason::theTrash
                                                                                 : reason::inTrash);
    return std::nullopt;
}

// Looked up through the item's own descriptor: a path longer than PATH_MAX
// or a folder the user may not search must not read as "no .git".
std::optional<SafetyPolicy::Verdict> repositoryVerdict(const std::string& path,
                                                       const RealPath::Resolution& real) {
    using Verdict = SafetyPolicy::Verdict;
    if (real.complete() && !real.steps.empty() && real.steps.back().isDirectory &&
        !SafetyPolicy::repositoryExemptNames().count(Paths::lastComponent(path))) {
        struct stat st {};
        if (fstatat(real.item.get(), ".git", &st, AT_SYMLINK_NOFOLLOW) == 0)
            return Verdict::denied(reason::sourceRepository);
        if (errno != ENOENT) return Verdict::denied(reason::cannotLook);
    }
    return std::nullopt;
}

// The general verdict on a standardised path, for the given home. With
// `admitConfigEntry`, the ".config" component of an entry directly inside
// "~/.config" does not count as a protected name.
SafetyPolicy::Verdict generalVerdict(const std::string& path, const Home& home, const Flag* cancel,
                                     bool admitConfigEntry = false) {
    using Verdict = SafetyPolicy::Verdict;
    if (path.empty() || path.front() != '/') return Verdict::denied(reason::notAbsolute);
    if (!home.usable) return Verdict::denied(reason::unusableHome);
    if (auto denied = trashVerdict(path, home.trash)) return *denied;

    const auto protectedFolders = protectedHomeFoldersOf(home);
    if (protectedFolders.count(path)) return Verdict::denied(reason::protectedFolder);

    const auto roots = allowedRootsOf(home.path);
    const std::string* root = enclosingFolder(path, roots);
    // The temporary folder is shared by every user: only its own entries may
    // go, never what lies deeper nor the folder itself.
    const bool temporaryEntry =
        home.temporary && path != *home.temporary && Paths::parent(path) == *home.temporary;
    if (!root && !temporaryEntry) return Verdict::denied(reason::outsideHome);

    const auto components = componentsOf(path);
    // An allowed root is never removed itself, however deep it lies
    // ("/private/var/folders" has three components).
    if (!temporaryEntry &&
        (components.size() < 3 || std::find(roots.begin(), roots.end(), path) != roots.end()))
        return Verdict::denied(reason::tooCloseToRoot);

    // ".config" holds settings and secrets. Two exceptions, both only for the
    // ".config" right in the home: the editors' cache folders inside it, and
    // (for the uninstaller's leftovers) an entry directly inside it.
    const bool editorCache = isEditorCache(path, home.path);
    const std::size_t configDepth = componentsOf(home.path).size();
    const auto& names = SafetyPolicy::protectedNames();
    admitConfigEntry = admitConfigEntry && isConfigEntry(path, home.path);
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (admitConfigEntry && i + 2 == components.size()) continue;
        if (names.count(components[i]) && !(editorCache && i == configDepth))
            return Verdict::denied(reason::containsName(components[i]));
    }

    if (temporaryEntry) {
        if (auto denied = temporaryOwnerVerdict(path)) return *denied;
    }

    const RealPath::Resolution real = RealPath::resolve(path, cancel);
    if (real.cancelled()) return Verdict::denied(reason::cancelled);
    if (auto denied = resolvedTrashVerdict(real, home.trash)) return *denied;
    const std::string& resolved = real.path;
    std::vector<std::string> resolvedRoots;  // `root` may point into it
    if (temporaryEntry) {
        // A link there may lead anywhere, another user's files included.
        if (resolved != path) return Verdict::denied(reason::resolvesElsewhere);
    } else if (editorCache) {
        // Admitted for what they are, so no link on the way may lead elsewhere.
        if (resolved != RealPath::resolved(home.path) + path.substr(home.path.size()))
            return Verdict::denied(reason::resolvesProtected);
    } else if (resolved != path) {
        root = resolvedRootOf(resolved, roots, protectedFolders, admitConfigEntry, resolvedRoots);
        if (!root) return Verdict::denied(reason::resolvesProtected);
    }
    // A folder that cannot be looked into may hold anything, a repository
    // included; only a path that leads nowhere has nothing to look at.
    if (!real.complete() && real.error != ENOENT && real.error != ENOTDIR && real.error != ELOOP)
        return Verdict::denied(reason::cannotLook);

    const std::size_t rootDepth = componentsOf(root ? *root : *home.temporary).size();
    if (auto mount = firstMountBelow(real.steps, rootDepth);
        mount && reachesProtectedPlace(real.steps, *mount, real.complete(), home.path, protectedFolders))
        return Verdict::denied(reason::resolvesProtected);

    if (auto denied = repositoryVerdict(path, real)) return *denied;
    // The Trash would go with it.
    if (home.trash.holdsHomeTrash(path) || home.trash.holdsHomeTrash(resolved))
        return Verdict::denied(reason::holdsTrash);
    return Verdict::allowed();
}

SafetyPolicy::Verdict bundleVerdict(const std::string& path, const Home& home) {
    using Verdict = SafetyPolicy::Verdict;
    if (path.empty() || path.front() != '/') return Verdict::denied(reason::notAbsolute);
    if (!home.usable) return Verdict::denied(reason::unusableHome);
    if (auto denied = trashVerdict(path, home.trash)) return *denied;
    if (!path.ends_with(".app")) return Verdict::denied(reason::onlyBundles);
    if (protectedHomeFoldersOf(home).count(path)) return Verdict::denied(reason::protectedSystemFolder);
    if (path.rfind("/System/", 0) == 0) return Verdict::denied(reason::systemApplication);
    if (RealPath::resolved(path) != path) return Verdict::denied(reason::resolvesElsewhere);
    return Verdict::allowed();
}

// A command never removes the path it shows, which is looked at only for
// whether it lies in a Trash folder.
SafetyPolicy::Verdict commandVerdict(const std::optional<std::string>& path) {
    if (!path || path->empty() || path->front() != '/') return SafetyPolicy::Verdict::allowed();
    const TrashFolders trash;
    for (const std::string& form : {*path, RealPath::resolved(*path)})
        if (auto denied = trashVerdict(form, trash)) return *denied;
    return SafetyPolicy::Verdict::allowed();
}

bool underAppFolder(const std::string& path, std::string_view ruleID) {
    const auto& rules = SafetyPolicy::appFolderRules();
    auto found = rules.find(ruleID);
    if (found == rules.end()) return false;
    for (const auto& prefix : found->second)
        if (isStrictlyBelow(path, prefix)) return true;
    return false;
}

bool underAnyAppFolder(const std::string& path) {
    for (const auto& [id, prefixes] : SafetyPolicy::appFolderRules())
        for (const auto& prefix : prefixes)
            if (isStrictlyBelow(path, prefix)) return true;
    return false;
}

}  // namespace

SafetyPolicy::Checked SafetyPolicy::checked(const std::string& path, std::string_view ruleID,
                                            const RemovalKind& removal, const Flag* cancel) {
    auto standard = Paths::standardise(path);
    if (removal.isCommand()) return {standard.value_or(std::string()), commandVerdict(standard)};
    if (!standard) return {{}, Verdict::denied(reason::invalidPath)};

    const Home home = currentHome();
    // Whatever rule is named: the Trash is never a rule's to remove.
    if (auto denied = trashVerdict(*standard, home.trash)) return {*standard, std::move(*denied)};
    const auto& shapes = ruleShapesFor(home);
    auto rule = shapes.find(ruleID);
    if (rule == shapes.end()) return {*standard, Verdict::denied(reason::notRegistered(ruleID))};
    // With an unusable home the "~" shapes mean nothing ("~/**" would be the
    // whole disk for a home of "/").
    if (!home.usable) return {*standard, Verdict::denied(reason::unusableHome)};

    bool matched = false;
    for (const auto& shape : rule->second) {
        if (shape.matches(*standard)) {
            matched = true;
            break;
        }
    }
    if (!matched) return {*standard, Verdict::denied(reason::shapeMismatch(ruleID))};

    if (underAppFolder(*standard, ruleID)) return {*standard, bundleVerdict(*standard, home)};
    const bool leftover = ruleID == "apps.leftovers";
    if (leftover && isDesktopOwnedEntry(*standard, home.path))
        return {*standard, Verdict::denied(reason::sharedByDesktop)};
    Verdict verdict = generalVerdict(*standard, home, cancel, leftover);
    const bool stopped = verdict.isDenied() && verdict.reason() == reason::cancelled;
    return {*standard, std::move(verdict), stopped};
}

SafetyPolicy::Verdict SafetyPolicy::check(const std::string& path, std::string_view ruleID,
                                          const RemovalKind& removal) {
    return checked(path, ruleID, removal).verdict;
}

SafetyPolicy::Verdict SafetyPolicy::check(const CleanupCandidate& candidate) {
    return check(candidate.path, candidate.ruleID, candidate.removal);
}

const SafetyPolicy::RuleShapes& SafetyPolicy::ruleShapes() { return ruleShapesFor(currentHome()); }

const SafetyPolicy::AppFolderRules& SafetyPolicy::appFolderRules() {
    static const AppFolderRules rules = {{"apps.bundle", {"/Applications"}}};
    return rules;
}

bool SafetyPolicy::registerRule(std::string_view ruleID, const std::vector<std::string>& patterns,
                                RuleShapes& into) {
    if (into.find(ruleID) != into.end()) return false;
    std::vector<PathPattern> parsed;
    parsed.reserve(patterns.size());
    for (const auto& text : patterns) parsed.emplace_back(text);
    into.emplace(std::string(ruleID), std::move(parsed));
    return true;
}

std::set<std::string> SafetyPolicy::protectedHomeFolders() {
    return protectedHomeFoldersOf(currentHome());
}

std::vector<std::string> SafetyPolicy::allowedRoots() { return allowedRootsOf(currentHome().path); }

const std::set<std::string, std::less<>>& SafetyPolicy::protectedNames() {
    static const std::set<std::string, std::less<>> names = {
        ".ssh",
        ".gnupg",
        ".aws",
        ".kube",
        ".azure",
        ".config",
        "gcloud",
        "Keychains",
        "Passwords",
        "iCloud Drive",
        "Mobile Documents",
        "Photos Library.photoslibrary",
        "Music Library.musiclibrary",
        "creds",
        "credentials",
        "secrets",
        ".netrc",
        ".npmrc",
        ".env",
        "id_rsa",
        "id_ed25519",
        ".gitconfig",
        ".git",
    };
    return names;
}

const std::set<std::string, std::less<>>& SafetyPolicy::repositoryExemptNames() {
    static const std::set<std::string, std::less<>> names = {
        "node_modules", "build",  ".gradle",       "Pods",  ".dart_tool", ".next",
        ".expo",        ".turbo", ".parcel-cache", ".venv", "venv",       "DerivedData",
    };
    return names;
}

SafetyPolicy::Verdict SafetyPolicy::verdict(const std::string& path) {
    auto standard = Paths::standardise(path);
    if (!standard) return Verdict::denied(reason::invalidPath);
    return generalVerdict(*standard, currentHome(), nullptr);
}

SafetyPolicy::Verdict SafetyPolicy::appBundleVerdict(const std::string& path) {
    auto standard = Paths::standardise(path);
    if (!standard) return Verdict::denied(reason::invalidPath);
    return bundleVerdict(*standard, currentHome());
}

SafetyPolicy::Verdict SafetyPolicy::verdictForPath(const std::string& path) {
    auto standard = Paths::standardise(path);
    if (!standard) return Verdict::denied(reason::invalidPath);
    const Home home = currentHome();
    if (underAnyAppFolder(*standard)) return bundleVerdict(*standard, home);
    // A leftover of "~/.config" that the uninstaller moved may go back.
    return generalVerdict(*standard, home, nullptr, true);
}

}  // namespace korvane
