#include "app/presenters/EntryListContent.h"

#include <algorithm>
#include <array>

#include "app/presenters/CountText.h"
#include "app/presenters/GeneralSidebarContent.h"
#include "app/presenters/ItemKind.h"
#include "app/presenters/RelativeDateText.h"
#include "core/system/Paths.h"
#include "core/text/AsciiText.h"
#include "core/text/ByteFormat.h"

namespace korvane {

namespace {

struct SymbolRow {
    std::array<std::string_view, 6> extensions;
    std::string_view symbol;
};

constexpr std::array<SymbolRow, 6> symbolTable = {{
    {{"png", "jpg", "jpeg", "heic", "gif", "webp"}, "photo"},
    {{"mp4", "mov", "mkv", "avi", "m4v"}, "film"},
    {{"mp3", "wav", "aac", "flac", "m4a"}, "waveform"},
    {{"zip", "dmg", "pkg", "tar", "gz", "7z"}, "doc.zipper"},
    {{"pdf"}, "doc.richtext"},
    {{"app"}, "app.badge"},
}};

}  // namespace

std::string_view entryListSymbol(std::string_view name) {
    const std::string extension = AsciiText::lowercased(Paths::extension(name));
    if (!extension.empty())
        for (const SymbolRow& row : symbolTable)
            for (std::string_view candidate : row.extensions)
                if (!candidate.empty() && candidate == extension) return row.symbol;
    return "doc";
}

std::string entrySymbol(std::string_view name, bool isDirectory) {
    if (isDirectory) return "folder";
    // A disk image looks as it does in the canvases and the inspector.
    if (const auto disc = diskImageSymbol(name)) return std::string(*disc);
    return std::string(entryListSymbol(name));
}

EntryRowContent entryRowContent(const FileTreeScanner::Entry& entry, std::chrono::system_clock::time_point now) {
    return {entry.name, homeRelativePath(entry.parentPath()), entrySymbol(entry.name, entry.isDirectory),
            relativeDateText(entry.modified, now), ByteFormat::string(entry.size)};
}

EntryActionBar entryActionBar(const std::vector<FileTreeScanner::Entry>& entries,
                              const std::set<std::uint64_t>& ticked, const std::string& home) {
    EntryActionBar bar;
    bar.isShown = !ticked.empty();
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
    return bar;
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
