#include "app/platform/FileManagerName_linux.h"

#include <cstdlib>

#include "core/system/FileContents.h"
#include "core/system/Paths.h"

namespace korvane {

namespace {

constexpr std::int64_t kMaxFileBytes = 1024 * 1024;
constexpr std::size_t kMaxNameLength = 80;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// XDG base directories must be absolute: relative ones are ignored.
std::vector<std::string> absoluteList(const std::string& value, std::vector<std::string> fallback) {
    std::vector<std::string> folders;
    for (auto& part : split(value, ':'))
        if (part.starts_with('/')) folders.push_back(std::move(part));
    return folders.empty() ? fallback : folders;
}

std::string absoluteOr(const std::string& value, std::string fallback) {
    return value.starts_with('/') ? value : fallback;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// The value of `key` in the `group` of an INI-like desktop file.
std::optional<std::string> groupValue(const std::string& text, std::string_view group, std::string_view key) {
    bool inGroup = false;
    for (const auto& rawLine : split(text, '\n')) {
        const std::string line = trimmed(rawLine);
        if (line.empty() || line.starts_with('#')) continue;
        if (line.starts_with('[')) {
            inGroup = line == "[" + std::string(group) + "]";
            continue;
        }
        if (!inGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        if (trimmed(std::string_view(line).substr(0, equals)) == key) return trimmed(line.substr(equals + 1));
    }
    return std::nullopt;
}

std::vector<std::string> applicationFolders(const FileManagerName::Places& places) {
    std::vector<std::string> folders{Paths::join(places.dataHome, "applications")};
    for (const auto& dir : places.dataDirs) folders.push_back(Paths::join(dir, "applications"));
    return folders;
}

// The installed desktop entry file of an id, the first in precedence order.
std::optional<std::string> installedEntry(const FileManagerName::Places& places, const std::string& id) {
    if (id.empty() || id.find('/') != std::string::npos || !id.ends_with(".desktop")) return std::nullopt;
    for (const auto& folder : applicationFolders(places)) {
        const std::string path = Paths::join(folder, id);
        if (FileContents::readSmall(path, kMaxFileBytes)) return path;
    }
    return std::nullopt;
}

}  // namespace

FileManagerName::Places FileManagerName::Places::fromEnvironment(const std::string& home) {
    Places places;
    places.configHome = absoluteOr(environment("XDG_CONFIG_HOME"), Paths::join(home, ".config"));
    places.configDirs = absoluteList(environment("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    places.dataHome = absoluteOr(environment("XDG_DATA_HOME"), Paths::join(home, ".local/share"));
    places.dataDirs = absoluteList(environment("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    for (auto desktop : split(environment("XDG_CURRENT_DESKTOP"), ':')) {
        for (auto& c : desktop) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        places.desktops.push_back(std::move(desktop));
    }
    return places;
}

std::optional<std::string> FileManagerName::entryName(const std::string& desktopEntry) {
    auto name = groupValue(desktopEntry, "Desktop Entry", "Name");
    // One short line of text, or nothing: it is shown inside a button's title.
    if (!name || name->empty() || name->size() > kMaxNameLength) return std::nullopt;
    for (unsigned char c : *name)
        if (c < 0x20 || c == 0x7f) return std::nullopt;
    return name;
}

std::optional<std::string> FileManagerName::find(const Places& places) {
    // The lists in precedence order: the user's, the system's, then the
    // deprecated ones among the applications; desktop-specific before generic.
    std::vector<std::string> folders{places.configHome};
    folders.insert(folders.end(), places.configDirs.begin(), places.configDirs.end());
    for (const auto& folder : applicationFolders(places)) folders.push_back(folder);
    for (const auto& folder : folders) {
        std::vector<std::string> names;
        for (const auto& desktop : places.desktops) names.push_back(desktop + "-mimeapps.list");
        names.push_back("mimeapps.list");
        for (const auto& name : names) {
            const auto list = FileContents::readSmall(Paths::join(folder, name), kMaxFileBytes);
            if (!list) continue;
            const auto ids = groupValue(*list, "Default Applications", "inode/directory");
            if (!ids) continue;
            for (const auto& id : split(*ids, ';')) {
                const auto entry = installedEntry(places, trimmed(id));
                if (!entry) continue;
                const auto text = FileContents::readSmall(*entry, kMaxFileBytes);
                if (auto found = text ? entryName(*text) : std::nullopt) return found;
            }
        }
    }
    return std::nullopt;
}

}  // namespace korvane
