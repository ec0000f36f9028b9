#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// Whole-file reads and writes on plain POSIX descriptors, for the small
// description and record files that scanners and stores look at.
struct FileContents {
    // Whether a symbolic link in the last component is followed or refused.
    enum class Links { follow, refuse };

    // The whole of a regular file of at most `maxBytes`; none when it is
    // missing, a refused link, not a regular file, larger, or unreadable. It
    // is opened without blocking, so a FIFO or device in its place is refused
    // instead of hanging the caller; a file that grows past the limit while
    // it is read gives none too.
    static std::optional<std::string> readSmall(const std::string& path, std::int64_t maxBytes,
                                                Links links = Links::follow);
    // The same for `name` inside the open folder `folderFd`.
    static std::optional<std::string> readSmallAt(int folderFd, const char* name, std::int64_t maxBytes,
                                                  Links links = Links::follow);

    // Writes all of `text` to `fd`, resuming after short writes and
    // interruptions; false on any other failure.
    static bool writeAll(int fd, std::string_view text);
};

}  // namespace korvane
