#include "app/presenters/EntryListContent.h"

#include <algorithm>
#include <array>

#include "app/presenters/CountText.h"
#include "app/presenters/GeneralSidebarContent.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/RelativeDateText.h"
#include "core/system/Paths.h"
#include "core/text/ByteFormat.h"

namespace korvane {

std::string entrySymbol(std::string_view name, bool isDirectory) {
    if (isDirectory) return "folder";
    // A file looks as it does in the canvases and the inspector.
    return std::string(fileSymbol(name, classifyFileKind(name, false)));
}

EntryRowContent entryRowContent(const FileTreeScanner::Entry& entry, std::chrono::system_clock::time_point now,
                                const TrashFolders& trash) {
    return {entry.name,
            homeRelativePath(entry.parentPath()),
            entrySymbol(entry.name, entry.isDirectory),
            relativeDateText(entry.modified, now),
            ByteFormat::string(entry.size),
            homeRelativePath(entry.path),
            false,
            trash.holding(entry.path).has_value()};
}

EntryActionBar entryActionBar(const std::vector<FileTreeScanner::Entry>& entries,
                              const std::set<std::uint64_t>& ticked, const std::string& home,
                              const std::optional<std::string>& leftOut) {
    EntryActionBar bar;
    bar.hasChoice = !ticked.empty();
    bar.isShown = bar.hasChoice || leftOut.has_value();
    bar.count = std::to_string(ticked.size()) + " selected";
    std::int64_t bytes = 0;
    for (const auto& entry : entries)
        if (ticked.contains(entry.id)) {
            bytes += entry.size;
            bar.chosen.push_back(entry);
        }
    bar.bytes = ByteFormat::string(bytes);
    const auto outside =
        std::count_if(bar.chosen.begin(), bar.chosen.end(), [&home](const FileTreeScanner::Entry& entry) {
            const auto path = Paths::standardise(entry.path);
            return !path || !Paths::isAtOrBelow(*path, home);
        });
    if (outside > 0 && static_cast<std::size_t>(outside) == bar.chosen.size()) {
        bar.removeEnabled = false;
        bar.outsideHome = "Korvane only removes files inside your home folder.";
    } else if (outside > 0) {
        bar.outsideHome = countText(outside, "of the chosen items lies", "of the chosen items lie") +
                          " outside your home folder and will be left out.";
    }
    bar.notice = leftOut ? leftOut : bar.outsideHome;
    return bar;
}

std::set<std::uint64_t> neverTouchedEntries(const std::vector<FileTreeScanner::Entry>& entries,
                                            const ScanSettings& settings) {
    std::set<std::uint64_t> marked;
    if (settings.excludedPaths.empty()) return marked;
    for (const auto& entry : entries)
        if (settings.overlapsExcluded(entry.path)) marked.insert(entry.id);
    return marked;
}

std::set<std::uint64_t> ticksNotIn(const std::vector<FileTreeScanner::Entry>& entries,
                                   const std::set<std::uint64_t>& ticked) {
    std::set<std::uint64_t> stale = ticked;
    for (const auto& entry : entries) {
        if (stale.empty()) break;
        stale.erase(entry.id);
    }
    return stale;
}

std::set<std::uint64_t> ticksThatLeft(const std::vector<FileTreeScanner::Entry>& entries,
                                      const std::set<std::uint64_t>& ticked, const DiskChange& change) {
    std::set<std::uint64_t> left;
    for (const auto& entry : entries)
        if (ticked.contains(entry.id))
            for (const auto& place : change.left)
                if (Paths::isAtOrBelow(entry.path, place.path)) {
                    left.insert(entry.id);
                    break;
                }
    return left;
}

}  // namespace korvane
