#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The mount points of this process's mount namespace (/proc/self/mountinfo).
class MountPoints {
public:
    // Every mount point, decoded; none when the table cannot be read.
    static std::optional<std::vector<std::string>> read();
    // The mount points named in mountinfo text ("\040" and the other octal
    // escapes decoded).
    static std::vector<std::string> parse(std::string_view mountinfo);
    // One field of mountinfo text with its octal escapes decoded.
    static std::string decodedField(std::string_view field);
    // The first mount point, in table order, that lies at or below one of
    // the folders.
    static std::optional<std::string> firstAtOrBelow(const std::vector<std::string>& mountPoints,
                                                     const std::vector<std::string>& folders);
};

}  // namespace korvane
