#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvane {

// What one file or folder measures now, as a removal counts it: its
// allocated bytes, a folder's with everything in it (a file linked twice
// inside it counted once). A file that has another name measures nothing:
// its space stays until every name is gone.
struct ItemSize {
    ItemSize() = delete;

    // None when nothing can be looked at there.
    static std::optional<std::int64_t> measure(const std::string& path);
};

}  // namespace korvane
