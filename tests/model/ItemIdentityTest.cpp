#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/model/CleanupCandidate.h"
#include "core/model/ItemIdentity.h"
#include "core/text/Json.h"
#include "tests/model/ModelSamples.h"

namespace korvane {
namespace {

struct stat statOf(mode_t type, ino_t inode, blkcnt_t blocks, time_t modified) {
    struct stat st {};
    st.st_dev = 2049;
    st.st_ino = inode;
    st.st_mode = type | 0644;
    st.st_blocks = blocks;
    st.st_mtim.tv_sec = modified;
    st.st_mtim.tv_nsec = 250'000'000;
    return st;
}

// What counts as the same item: a file keeps its inode, size and date; a
// folder only its inode, as what it holds may grow.
TEST(ItemIdentityTest, AFileMustKeepItsSizeAndDateAFolderOnlyItsInode) {
    const ItemIdentity file = ItemIdentity::of(statOf(S_IFREG, 41, 10'240, 1'700'000'000));
    const ItemIdentity folder = ItemIdentity::of(statOf(S_IFDIR, 42, 8, 1'700'000'000));
    EXPECT_EQ(file.allocatedBytes, 10'240 * 512);
    EXPECT_FALSE(file.isFolder);
    EXPECT_TRUE(folder.isFolder);
    struct Case {
        const char* what;
        const ItemIdentity& seen;
        struct stat now;
        bool same;
    };
    auto otherDevice = statOf(S_IFREG, 41, 10'240, 1'700'000'000);
    otherDevice.st_dev = 2050;
    auto laterInTheSecond = statOf(S_IFREG, 41, 10'240, 1'700'000'000);
    laterInTheSecond.st_mtim.tv_nsec = 900'000'000;
    const Case cases[] = {
        {"the file as it was", file, statOf(S_IFREG, 41, 10'240, 1'700'000'000), true},
        {"written again within the same second", file, laterInTheSecond, true},
        {"grown in place", file, statOf(S_IFREG, 41, 600'000, 1'700'000'000), false},
        {"touched", file, statOf(S_IFREG, 41, 10'240, 1'700'000'060), false},
        {"replaced under the same name and date", file, statOf(S_IFREG, 77, 10'240, 1'700'000'000), false},
        {"the same numbers on another volume", file, otherDevice, false},
        {"a link where the file was", file, statOf(S_IFLNK, 41, 10'240, 1'700'000'000), false},
        {"a folder where the file was", file, statOf(S_IFDIR, 41, 10'240, 1'700'000'000), false},
        {"the folder, grown and written to", folder, statOf(S_IFDIR, 42, 900'000, 1'800'000'000), true},
        {"another folder of the same name", folder, statOf(S_IFDIR, 43, 8, 1'700'000'000), false},
        {"a file where the folder was", folder, statOf(S_IFREG, 42, 8, 1'700'000'000), false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.seen.matches(c.now), c.same) << c.what;
}

TEST(ItemIdentityTest, ThePickedItemIsStoredOnlyWhenKnownAndReadBack) {
    auto candidate =
        samples::candidate(CleanupCategory::toolchains, "general.userChoice", 4096, SafetyLevel::caution);
    EXPECT_FALSE(nlohmann::json(candidate).contains("seen"));  // files written before read the same

    candidate.seen =
        ItemIdentity{2049, 18'446'744'073'709'551'000ull, 4096, samples::date(1709993100), false};
    const auto j = nlohmann::json(candidate);
    EXPECT_EQ(j.at("seen").at("inode"), 18'446'744'073'709'551'000ull);
    EXPECT_EQ(j.at("seen").at("modified"), "2024-03-09T14:05:00Z");
    EXPECT_EQ(decodeJson<CleanupCandidate>(j), candidate);

    for (const char* key : {"device", "inode", "allocatedBytes", "modified", "isFolder"}) {
        auto copy = j;
        copy["seen"].erase(key);
        EXPECT_FALSE(decodeJson<CleanupCandidate>(copy)) << key;
    }
    auto negative = j;
    negative["seen"]["inode"] = -1;
    EXPECT_FALSE(decodeJson<CleanupCandidate>(negative));
}

}  // namespace
}  // namespace korvane
