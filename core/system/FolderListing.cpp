#include "core/system/FolderListing.h"

#include <dirent.h>

#include <string_view>

namespace korvane {

std::optional<std::vector<std::string>> FolderListing::names(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

}  // namespace korvane
