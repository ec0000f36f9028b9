#pragma once

// Folders whose measured size is an exact number of bytes, for testing the
// minimum sizes of scanners at their boundaries.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/support/TempTree.h"

namespace korvane::testing {

// A folder holding one filled file so that `du` of the folder (its own blocks
// included) is exactly `total`; `total` must be a multiple of the block size.
inline std::string folderOfSize(TempTree& tree, const std::string& relative, std::int64_t total) {
    const auto folder = tree.folder(relative);
    const auto own = duBytes(folder);
    tree.file(relative + "/data", static_cast<std::size_t>(total - own));
    EXPECT_EQ(duBytes(folder), total) << folder;
    return folder;
}

}  // namespace korvane::testing
