#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/system/Flag.h"
#include "core/system/TrashFolders.h"

namespace korvane {

// Measures the disk space a file or folder tree really occupies (allocated
// bytes), with counts of files and folders and the newest modification time.
// One sizer may measure from many threads at once; a file with several hard
// links is counted once between two resets, whichever measurement reaches it
// first. Symbolic links are never followed; pseudo file systems (proc, sysfs,
// ...), folders bound inside (bind mounts) and Trash folders are never entered,
// and a file bound inside counts for nothing.
class FastSizer {
public:
    struct Measurement {
        std::int64_t bytes = 0;        // sum of st_blocks * 512
        std::int64_t files = 0;        // non-directories counted (links included)
        std::int64_t directories = 0;  // directories counted, the measured root included
        // Latest modification time (whole seconds) of the counted
        // non-directory, non-link entries below the root, and of the root.
        std::optional<std::chrono::system_clock::time_point> newestModification;
        bool partial = false;  // some part of the tree could not be read

        Measurement merging(const Measurement& other) const;
        bool operator==(const Measurement&) const = default;
    };

    struct InodeKey {
        dev_t dev = 0;  // kept whole: dev_t is 64-bit here
        ino_t ino = 0;
        bool operator==(const InodeKey&) const = default;
    };
    struct InodeKeyHash {
        std::size_t operator()(const InodeKey& key) const noexcept;
    };

    // Files with several hard links already counted. Sharded, so that
    // threads meeting many linked files (package stores made of hard links)
    // rarely wait for one another; the first thread to claim a file counts it.
    class LinkSet {
    public:
        // True for the first claim of this file, false for every later one.
        bool claim(const struct stat& st);
        bool claim(const InodeKey& key);
        void clear();

    private:
        static constexpr std::size_t shardCount = 64;
        struct alignas(64) Shard {
            std::mutex lock;
            std::unordered_set<InodeKey, InodeKeyHash> seen;
        };
        std::array<Shard, shardCount> shards_;
    };

    // Folders deeper than this below the measured root are counted by their
    // parent but not read; the result is then partial.
    static constexpr int maximumDepth = 63;

    // Passes by the Trash folders in force when it is made.
    FastSizer() = default;
    explicit FastSizer(TrashFolders trash) : trash_(std::move(trash)) {}
    FastSizer(const FastSizer&) = delete;
    FastSizer& operator=(const FastSizer&) = delete;

    // Absent when the path cannot be examined at all (lstat fails). Safe to
    // call from many threads at once.
    std::optional<Measurement> measure(const std::string& path);

    // Forgets the hard links counted so far, then re-arms the cancel flag.
    void reset();
    // Stops every running and future walk at its next entry, until reset().
    void cancel();
    bool isCancelled() const;
    Flag& cancelledFlag() { return cancelledFlag_; }
    const TrashFolders& trashFolders() const { return trash_; }

    // Names never looked at, at any depth.
    static const std::unordered_set<std::string>& skippedNames();
    static bool isSkippedName(const char* name);

private:
    class DirectoryReaders;
    bool claimLink(const struct stat& st);
    Measurement walk(DirectoryReaders& readers, int depth, dev_t device);

    LinkSet links_;
    Flag cancelledFlag_;
    TrashFolders trash_;
};

}  // namespace korvane
