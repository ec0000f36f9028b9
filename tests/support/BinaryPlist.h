#pragma once

// Binary property lists for tests that write the files tools keep their
// settings in. Include only where libplist is linked.

#include <plist/plist.h>

#include <cstdint>
#include <string>

namespace korvane::testing {

// The binary form of `root`, which is freed.
inline std::string binaryPlist(plist_t root) {
    char* data = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &data, &length);
    std::string bytes(data, length);
    plist_to_bin_free(data);
    plist_free(root);
    return bytes;
}

}  // namespace korvane::testing
