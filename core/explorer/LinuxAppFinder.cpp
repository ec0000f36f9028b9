#include "core/explorer/LinuxAppFinder.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "core/explorer/DesktopEntry.h"
#include "core/system/FileContents.h"
#include "core/system/FolderListing.h"
#include "core/system/Paths.h"
#include "core/text/TextCase.h"

namespace korvane {

namespace {

using Installation = FlatpakUninstall::Installation;

constexpr std::string_view appImageExtension = ".AppImage";
constexpr std::string_view desktopExtension = ".desktop";
constexpr std::int64_t maximumMetadataBytes = 1024 * 1024;

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A real folder, not a link to one: an installation's "app/<id>" is never a link.
bool isRealFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> sortedNames(const std::string& folder) {
    auto names = FolderListing::names(folder).value_or(std::vector<std::string>{});
    std::sort(names.begin(), names.end());
    return names;
}

bool hasLongerSuffix(std::string_view name, std::string_view suffix) {
    return name.size() > suffix.size() && name.ends_with(suffix);
}

// The value of `key` in `group` of a key file such as a Flatpak "metadata".
std::optional<std::string> keyFileValue(std::string_view text, std::string_view group, std::string_view key) {
    bool inGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            inGroup = line.size() == group.size() + 2 && line.substr(1, group.size()) == group &&
                      line.back() == ']';
            continue;
        }
        if (!inGroup || !line.starts_with(key) || line.size() <= key.size() || line[key.size()] != '=')
            continue;
        return std::string(line.substr(key.size() + 1));
    }
    return std::nullopt;
}

// The version of the first <release> of an AppStream description: releases
// are written newest first.
std::optional<std::string> firstReleaseVersion(std::string_view xml) {
    std::size_t at = 0;
    while ((at = xml.find("<release", at)) != std::string_view::npos) {
        const std::size_t nameEnd = at + 8;
        at = nameEnd;
        // "<releases>" opens the list; only a "<release " element counts.
        if (nameEnd >= xml.size() || (xml[nameEnd] != ' ' && xml[nameEnd] != '\t' && xml[nameEnd] != '\n'))
            continue;
        const std::size_t close = xml.find('>', nameEnd);
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view element = xml.substr(nameEnd, close - nameEnd);
        for (char quote : {'"', '\''}) {
            const std::string key = std::string("version=") + quote;
            std::size_t found = element.find(key);
            // Whole attribute names only ("xversion=" is another attribute).
            while (found != std::string_view::npos && found > 0 && element[found - 1] != ' ' &&
                   element[found - 1] != '\t' && element[found - 1] != '\n')
                found = element.find(key, found + 1);
            if (found == std::string_view::npos) continue;
            const std::size_t valueStart = found + key.size();
            const std::size_t valueEnd = element.find(quote, valueStart);
            if (valueEnd == std::string_view::npos || valueEnd == valueStart) return std::nullopt;
            return std::string(element.substr(valueStart, valueEnd - valueStart));
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// An icon file for a theme icon name among those a deployment exports:
// pictures first, largest first, as not every desktop draws SVG.
std::optional<std::string> exportedIconFile(const std::string& deploy, const std::string& icon) {
    if (icon.find('/') != std::string::npos) return std::nullopt;
    const std::string icons = deploy + "/export/share/icons/hicolor/";
    for (const char* size : {"256x256", "512x512", "128x128", "96x96", "64x64", "48x48"})
        if (const std::string file = icons + size + "/apps/" + icon + ".png"; isRegularFile(file))
            return file;
    if (const std::string file = icons + "scalable/apps/" + icon + ".svg"; isRegularFile(file)) return file;
    return std::nullopt;
}

}  // namespace

LinuxAppFinder::Places LinuxAppFinder::Places::standard() {
    return {
        {Paths::home("Applications"), Paths::home(".local/bin"), Paths::home("Apps")},
        Paths::home(".local/share/applications"),
        Paths::home(".local/share/flatpak"),
        "/var/lib/flatpak",
        {"/usr/share/applications", "/usr/local/share/applications", "/var/lib/snapd/desktop/applications"}};
}

std::vector<LinuxAppFinder::Found> LinuxAppFinder::find() const {
    std::vector<Found> found = appImages();
    for (auto installation : {Installation::user, Installation::system}) {
        auto more = flatpaks(installation);
        std::move(more.begin(), more.end(), std::back_inserter(found));
    }
    return found;
}

std::vector<LinuxAppFinder::Found> LinuxAppFinder::appImages() const {
    // Which entry starts which file; the first entry in name order wins.
    std::map<std::string, std::pair<std::string, DesktopEntry>> entries;
    if (!places_.desktopEntries.empty()) {
        for (const auto& name : sortedNames(places_.desktopEntries)) {
            if (!hasLongerSuffix(name, desktopExtension)) continue;
            const std::string path = Paths::join(places_.desktopEntries, name);
            if (!isRegularFile(path)) continue;
            auto entry = DesktopEntry::read(path);
            if (!entry) continue;
            for (const auto& launched : entry->launchedPaths()) entries.try_emplace(launched, path, *entry);
        }
    }

    std::vector<Found> found;
    std::vector<std::string> seen;
    for (const auto& folder : places_.appImageFolders) {
        auto standardFolder = Paths::standardise(folder);
        if (!standardFolder || standardFolder->empty() || standardFolder->front() != '/') continue;
        for (const auto& name : sortedNames(*standardFolder)) {
            if (!hasLongerSuffix(name, appImageExtension)) continue;
            const std::string path = Paths::join(*standardFolder, name);
            if (!isRegularFile(path) || std::find(seen.begin(), seen.end(), path) != seen.end()) continue;
            seen.push_back(path);

            Found app;
            app.kind = Found::Kind::appImage;
            app.path = path;
            app.name = name.substr(0, name.size() - appImageExtension.size());
            if (auto entry = entries.find(path); entry != entries.end()) {
                const auto& [entryPath, desktop] = entry->second;
                app.name = desktop.name;
                app.version = desktop.version;
                app.icon = desktop.icon;
                if (desktop.icon && desktop.icon->front() == '/' && isRegularFile(*desktop.icon))
                    app.iconFile = desktop.icon;
                app.desktopEntry = entryPath;
                const std::string fileName = Paths::lastComponent(entryPath);
                app.identifier = fileName.substr(0, fileName.size() - desktopExtension.size());
            }
            found.push_back(std::move(app));
        }
    }
    return found;
}

const std::string& LinuxAppFinder::root(Installation installation) const {
    return installation == Installation::user ? places_.flatpakUser : places_.flatpakSystem;
}

std::vector<std::string> LinuxAppFinder::installedIDs(const std::string& root) const {
    std::vector<std::string> ids;
    if (root.empty()) return ids;
    const std::string apps = root + "/app";
    for (auto& name : sortedNames(apps))
        if (FlatpakUninstall::isValidApplicationID(name) && isRealFolder(apps + "/" + name))
            ids.push_back(std::move(name));
    return ids;
}

std::vector<LinuxAppFinder::Found> LinuxAppFinder::flatpaks(Installation installation) const {
    std::vector<Found> found;
    const auto standardRoot = Paths::standardise(root(installation));
    if (!standardRoot || standardRoot->empty() || standardRoot->front() != '/') return found;
    for (const auto& id : installedIDs(*standardRoot)) {
        const std::string folder = *standardRoot + "/app/" + id;
        if (!FlatpakUninstall::isDeployed(folder)) continue;
        const std::string deploy = folder + "/current/active";
        if (auto metadata = FileContents::readSmall(deploy + "/metadata", maximumMetadataBytes)) {
            // A deployment that says it is another application is not this one.
            const auto named = keyFileValue(*metadata, "Application", "name");
            if (named && *named != id) continue;
        }

        Found app;
        app.kind = Found::Kind::flatpak;
        app.path = folder;
        app.name = id;
        app.identifier = id;
        app.installation = installation;
        const std::string entryPath = deploy + "/export/share/applications/" + id + ".desktop";
        if (auto entry = DesktopEntry::read(entryPath)) {
            app.name = entry->name;
            app.icon = entry->icon;
        }
        if (!app.icon) app.icon = id;
        if (app.icon->front() == '/') {
            if (isRegularFile(*app.icon)) app.iconFile = app.icon;
        } else {
            app.iconFile = exportedIconFile(deploy, *app.icon);
        }
        for (const std::string& description : {deploy + "/files/share/metainfo/" + id + ".metainfo.xml",
                                               deploy + "/files/share/appdata/" + id + ".appdata.xml",
                                               deploy + "/export/share/metainfo/" + id + ".metainfo.xml"}) {
            if (auto xml = FileContents::readSmall(description, maximumMetadataBytes)) {
                app.version = firstReleaseVersion(*xml);
                if (app.version) break;
            }
        }
        found.push_back(std::move(app));
    }
    return found;
}

std::vector<std::string> LinuxAppFinder::flatpakIDs() const {
    std::vector<std::string> ids;
    for (auto installation : {Installation::user, Installation::system}) {
        const auto standardRoot = Paths::standardise(root(installation));
        if (!standardRoot || standardRoot->empty() || standardRoot->front() != '/') continue;
        auto more = installedIDs(*standardRoot);
        std::move(more.begin(), more.end(), std::back_inserter(ids));
    }
    return ids;
}

bool LinuxAppFinder::isInstalledTwice(const std::string& id) const {
    const auto ids = flatpakIDs();
    return std::count(ids.begin(), ids.end(), id) > 1;
}

std::set<std::string> LinuxAppFinder::otherApplicationNames() const {
    std::set<std::string> names;
    auto read = [&names](const std::string& folder, bool skipAppImages) {
        if (folder.empty()) return;
        for (const auto& name : sortedNames(folder)) {
            if (!hasLongerSuffix(name, desktopExtension)) continue;
            const std::string path = Paths::join(folder, name);
            if (!isRegularFile(path)) continue;
            const auto entry = DesktopEntry::read(path);
            if (!entry) continue;
            const auto launched = entry->launchedPaths();
            if (skipAppImages && std::any_of(launched.begin(), launched.end(), [](const std::string& path) {
                    return path.ends_with(appImageExtension);
                }))
                continue;
            names.insert(TextCase::lowercased(entry->name));
            names.insert(TextCase::lowercased(name.substr(0, name.size() - desktopExtension.size())));
            if (entry->exec)
                if (const auto program = DesktopEntry::program(*entry->exec))
                    names.insert(TextCase::lowercased(Paths::lastComponent(*program)));
        }
    };
    for (const auto& folder : places_.otherDesktopEntries) read(folder, false);
    read(places_.desktopEntries, true);
    return names;
}

}  // namespace korvane
