#pragma once

#include <string>
#include <string_view>

namespace korvane {

// Path text handled by its letters alone, without asking the file system.
struct PathText {
    // "//" and "/./" collapsed, ".." resolved (never above "/"), trailing "/"
    // dropped; "~" is left as it is. An empty path stays empty; a relative
    // path that cancels out becomes ".".
    static std::string lexicallyStandardised(std::string_view path);
};

}  // namespace korvane
