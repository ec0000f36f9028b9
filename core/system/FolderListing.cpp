#include "core/system/FolderListing.h"

#include "core/system/DirectoryReader.h"

namespace korvane {

std::optional<std::vector<std::string>> FolderListing::names(const std::string& folder) {
    DirectoryReader reader(DirectoryReader::openFolder(folder, true));
    if (!reader.isOpen()) return std::nullopt;
    std::vector<std::string> names;
    DirectoryReader::Entry entry;
    while (reader.next(entry)) names.emplace_back(entry.name);
    return names;
}

}  // namespace korvane
