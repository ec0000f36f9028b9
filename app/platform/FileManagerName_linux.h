#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The name the desktop gives its file manager: the Name of the desktop entry
// that mimeapps.list makes the default for folders (inode/directory), looked
// up in the XDG folders. The folders come in from outside so that tests use
// fixture trees.
class FileManagerName {
public:
    struct Places {
        std::string configHome;               // $XDG_CONFIG_HOME, else ~/.config
        std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS, else /etc/xdg
        std::string dataHome;                 // $XDG_DATA_HOME, else ~/.local/share
        std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS, else /usr/local/share and /usr/share
        std::vector<std::string> desktops;    // $XDG_CURRENT_DESKTOP, lower case, in order

        // The places of the running session for the given home folder.
        static Places fromEnvironment(const std::string& home);
    };

    // The default folder handler's name; none when no list names an installed
    // entry or the entry has no usable Name.
    static std::optional<std::string> find(const Places& places);
    // The Name= of a desktop entry's [Desktop Entry] group.
    static std::optional<std::string> entryName(const std::string& desktopEntry);
};

}  // namespace korvane
