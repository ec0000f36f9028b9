#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace korvane {

// What a scan saw of one file or folder the user picked: enough to tell, as
// the review opens and again just before removal, whether what stands at its
// path now is still that item. Consent covers the item the user saw, not
// whatever later took its name.
//
// A file is the same while its device, inode, allocated size and
// modification time (whole seconds) are: a re-export or a finished download
// under the same name differs in one of them even when the file system hands
// out the freed inode again. A folder is the same while its device and inode
// are: what it holds may change (caches grow all the time), and what went
// is measured as it goes. A device and inode of 0 are unknown (a pick made
// from a node of the tree, which keeps none): such a file is told by its
// allocated size and modification time alone.
struct ItemIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t allocatedBytes = 0;                   // st_blocks * 512
    std::chrono::system_clock::time_point modified{};  // whole seconds
    bool isFolder = false;

    // What `lstat` says of the item now.
    static ItemIdentity of(const struct stat& st);
    // The item `now` (an `lstat` answer) is still this one.
    bool matches(const struct stat& now) const;

    // The one wording for a pick that is no longer what the scan saw: the
    // message of its outcome, and the review's line naming what it left out.
    static std::string changedMessage();
    static std::string changedNotice(const std::vector<std::string>& names);

    friend bool operator==(const ItemIdentity&, const ItemIdentity&) = default;
};

void to_json(nlohmann::json& j, const ItemIdentity& value);
void from_json(const nlohmann::json& j, ItemIdentity& value);

}  // namespace korvane
