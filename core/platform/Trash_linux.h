#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/platform/Trash.h"
#include "core/system/UniqueFd.h"

namespace korvane {

// The freedesktop.org Trash: the home trash ($XDG_DATA_HOME/Trash, by default
// ~/.local/share/Trash) for items on its file system, and $topdir/.Trash-$uid
// at the top of any other file system. Each item sits in files/NAME with its
// record in info/NAME.trashinfo, which is written first, exclusively, so that a
// crash never leaves an item in the Trash without a record of where it came from.
class FreedesktopTrash final : public Trash {
public:
    // The current user's home trash; paths below the home folder are reached
    // from the home folder (see ParentDirectory).
    FreedesktopTrash();
    // Tests put the home trash into a temporary folder.
    FreedesktopTrash(std::string homeTrash, std::string anchor);

    // $XDG_DATA_HOME/Trash when that is an absolute path, else ~/.local/share/Trash.
    static std::string defaultHomeTrash();

    Result moveToTrash(const std::string& path) override;
    bool isTrashLocation(const std::string& trashedPath) const override;
    bool holds(const std::string& trashedPath, const std::string& originalPath) const override;
    Result putBack(const std::string& trashedPath, const std::string& originalPath) override;
    Result purge(const std::string& trashedPath, const std::string& originalPath,
                 const Flag* stop = nullptr) override;

    // The item that moveToTrash() put into the Trash for `originalPath`
    // around `since`, for a move that a crash cut off before its caller noted
    // where the item went: its record names the path and it is the entry of
    // `device` and `inode` that left there. Records are dated in local time
    // without a zone, which may differ now: those of a day before `since` on
    // are looked at. None when there is no such item.
    std::optional<std::string> findMoved(const std::string& originalPath,
                                         std::chrono::system_clock::time_point since, std::uint64_t device,
                                         std::uint64_t inode) const;
    // Removes the records written for `originalPath` around `since` whose
    // item is not in the Trash (a crash between the record and the move, or
    // between a move back and the record's removal), while the item is at
    // its place.
    void forgetUnmoved(const std::string& originalPath, std::chrono::system_clock::time_point since) const;

    // The Path= value: every byte but letters, digits, "-._~/" written as %XX.
    static std::string encodePath(const std::string& path);
    // Undoes encodePath; no value for a malformed escape or an escaped NUL.
    static std::optional<std::string> decodePath(const std::string& text);
    // The DeletionDate= value: local time as YYYY-MM-DDThh:mm:ss.
    static std::string deletionDate(std::chrono::system_clock::time_point when);
    // The Path= value of a .trashinfo text, decoded; no value when there is none.
    static std::optional<std::string> recordedPath(const std::string& trashInfo);

private:
    // A trash folder that holds an item: its own path and, for a trash at the
    // top of a file system, that top folder (relative Path= values start there).
    struct Location {
        std::string trashFolder;
        std::string topFolder;  // empty for the home trash
        std::string name;       // the item's name inside files/
    };
    struct Opened {
        UniqueFd files;
        UniqueFd info;
        int error = 0;
    };

    std::optional<Location> locate(const std::string& trashedPath) const;
    // Opens files/ and info/ of a trash folder (creating them when asked).
    Opened open(const Location& location, bool create) const;
    // True when the item exists and its record names `originalPath`.
    bool verify(const Opened& opened, const Location& location, const std::string& originalPath) const;
    // True when the record of `location` names `originalPath`, whether or not the item exists.
    bool recordNames(const Opened& opened, const Location& location, const std::string& originalPath) const;
    // Calls `visit` with each record of the Trash that `originalPath` goes to
    // that is dated from a day before `since` on and names it.
    void eachRecordOf(const std::string& originalPath, std::chrono::system_clock::time_point since,
                      const std::function<void(const Opened&, const Location&)>& visit) const;
    // Picks the Trash for an item on `device` in `folderPath`: the home one
    // on the home's volume, else the volume's own; a failure when neither
    // can be used.
    std::optional<Result> chooseTrash(const std::string& folderPath, dev_t device, Location& location) const;

    std::string homeTrash_;
    std::string anchor_;
};

}  // namespace korvane
