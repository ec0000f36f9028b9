#pragma once

#include <cstdint>
#include <string>

namespace korvane {

class Flag;

// The user's Trash as Korvane uses it: items go in, and only items whose
// record proves Korvane put them there come back out or are emptied.
class Trash {
public:
    enum class Status {
        done,
        notInTrash,         // no such item, or its record does not name the expected original place
        destinationExists,  // putting back would replace something: refused
        failed,             // see `error` and `message`
    };

    struct Result {
        Status status = Status::failed;
        int error = 0;            // errno of a failure, when there is one
        std::string message;      // a description of a failure that errno alone does not tell
        std::string trashedPath;  // after a move: where the item is now
        std::int64_t removedBytes = 0;  // what a purge freed, also one that failed or stopped partway

        bool ok() const { return status == Status::done; }
    };

    virtual ~Trash() = default;

    // Moves the item at an absolute, standardised path into the Trash of its
    // file system. Never copies between file systems; refuses an item that is
    // a symbolic link (ELOOP).
    virtual Result moveToTrash(const std::string& path) = 0;

    // True when `trashedPath` is an item directly inside the `files` folder of
    // a Trash this object manages (whether or not it exists).
    virtual bool isTrashLocation(const std::string& trashedPath) const = 0;

    // True when the item exists and its record names `originalPath`.
    virtual bool holds(const std::string& trashedPath, const std::string& originalPath) const = 0;

    // Moves the item back to `originalPath`, creating missing parent folders;
    // never replaces an existing entry.
    virtual Result putBack(const std::string& trashedPath, const std::string& originalPath) = 0;

    // Removes the item and its record for good. A stop set meanwhile ends a
    // large folder's removal between two entries: the rest stays, with its record.
    virtual Result purge(const std::string& trashedPath, const std::string& originalPath,
                         const Flag* stop = nullptr) = 0;
};

}  // namespace korvane
