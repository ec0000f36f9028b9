#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/state/DiskChange.h"
#include "core/explorer/FileTreeScanner.h"
#include "core/model/ScanSettings.h"
#include "core/system/Paths.h"
#include "core/system/TrashFolders.h"

namespace korvane {

// What one row of a file list shows; every text is data, shown as it is.
struct EntryRowContent {
    std::string name;
    std::string parent;  // the folder holding it, "~" for the home folder
    std::string symbol;
    std::string age;  // "3 weeks ago"
    std::string size;
    // The whole path, "~" for a leading home folder: the row's name and its
    // folder are cut to fit, this is what a tooltip and a screen reader give.
    std::string wholePath;
    // It lies in, or holds, a place marked "Never touch": it is not offered
    // for removal, so it cannot be ticked, and the row says why.
    bool neverTouched = false;
    // It lies in a Trash folder (a scan started at one lists what it holds):
    // only putting it back or emptying the Trash touches it, so it cannot be
    // ticked either, and the row says why.
    bool inTrash = false;

    // Whether it may be ticked for removal.
    bool isOffered() const { return !neverTouched && !inTrash; }

    friend bool operator==(const EntryRowContent&, const EntryRowContent&) = default;
};

EntryRowContent entryRowContent(const FileTreeScanner::Entry& entry, std::chrono::system_clock::time_point now,
                                const TrashFolders& trash = TrashFolders());

// "folder" for any directory (packages too); otherwise the file's symbol by
// its name, as the canvases show it (fileSymbol): "film" for any video.
std::string entrySymbol(std::string_view name, bool isDirectory);

// The bar under a list with ticked entries, or with what "Remove" left out.
struct EntryActionBar {
    bool isShown = false;                       // some id is ticked, or "Remove" left out all it was given
    bool hasChoice = false;                     // some id is ticked: the count, "Clear" and "Remove" show
    std::string count;                          // "2 selected": every ticked id, listed or not
    std::string bytes;                          // of the ticked entries still listed
    std::vector<FileTreeScanner::Entry> chosen;  // those entries, in list order
    // Korvane removes picked files only inside the home folder: with every
    // chosen entry outside it "Remove" has nothing to do and says why at once.
    bool removeEnabled = true;
    std::optional<std::string> outsideHome;
    // What "Remove" left out (its tick gone with it), else `outsideHome`.
    std::optional<std::string> notice;

    friend bool operator==(const EntryActionBar&, const EntryActionBar&) = default;
};

EntryActionBar entryActionBar(const std::vector<FileTreeScanner::Entry>& entries,
                              const std::set<std::uint64_t>& ticked, const std::string& home = Paths::home(),
                              const std::optional<std::string>& leftOut = std::nullopt);

// The entries that lie in, or hold, a place marked "Never touch".
std::set<std::uint64_t> neverTouchedEntries(const std::vector<FileTreeScanner::Entry>& entries,
                                            const ScanSettings& settings);

// The ticked ids that no entry of `entries` has: ticks from a scan of
// another folder, which a new scan's lists must not count.
std::set<std::uint64_t> ticksNotIn(const std::vector<FileTreeScanner::Entry>& entries,
                                   const std::set<std::uint64_t>& ticked);

// The ticked entries that a change on disk took away: they leave the ticks
// with the rows, so the bar never counts what is gone.
std::set<std::uint64_t> ticksThatLeft(const std::vector<FileTreeScanner::Entry>& entries,
                                      const std::set<std::uint64_t>& ticked, const DiskChange& change);

}  // namespace korvane
