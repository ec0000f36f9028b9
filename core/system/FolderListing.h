#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The entry names of a folder reached by its path (a link to a folder is
// followed), listed without looking at the entries themselves.
struct FolderListing {
    // Every name but "." and "..", in the order the system lists them; none
    // when the folder cannot be listed.
    static std::optional<std::vector<std::string>> names(const std::string& folder);
};

}  // namespace korvane
