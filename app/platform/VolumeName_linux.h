#pragma once

#include <string>

namespace korvane {

// The name of the volume that holds a folder: its file-system label as udev
// publishes it under /dev/disk/by-label, else the mount point. Everything is
// read below `root` ("" for the running system), so tests use fixture trees.
class VolumeName {
public:
    // Empty when the mount table cannot be read.
    static std::string of(const std::string& folder, const std::string& root = {});
    // A by-label link name decoded: udev writes unsafe bytes as "\xHH".
    static std::string decodedLabel(const std::string& linkName);
};

}  // namespace korvane
