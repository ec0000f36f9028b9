#include "core/system/DirectoryReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::TempTree;

std::map<std::string, unsigned char> readAll(DirectoryReader& reader) {
    std::map<std::string, unsigned char> found;
    DirectoryReader::Entry entry;
    while (reader.next(entry)) EXPECT_TRUE(found.emplace(entry.name, entry.type).second) << entry.name;
    return found;
}

TEST(DirectoryReaderTest, ListsEveryEntryOnceWithItsTypeAcrossManyBufferFills) {
    TempTree tree;
    // Long names: far more records than one buffer holds.
    const std::string stem(120, 'n');
    for (int i = 0; i < 1500; ++i) tree.file("big/" + stem + std::to_string(i));
    tree.folder("big/sub");
    tree.symlink("big/link", "sub");
    tree.text("big/.hidden", "");
    tree.text("big/line\nbreak", "");

    DirectoryReader reader(DirectoryReader::openFolder(tree.path("big"), false));
    ASSERT_TRUE(reader.isOpen());
    const auto found = readAll(reader);
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(found.size(), 1504u);
    EXPECT_EQ(found.count("."), 0u);
    EXPECT_EQ(found.count(".."), 0u);
    for (int i = 0; i < 1500; ++i) EXPECT_EQ(found.count(stem + std::to_string(i)), 1u) << i;
    // The file systems tests run on report types; a reader passes them on.
    EXPECT_EQ(found.at("sub"), DT_DIR);
    EXPECT_EQ(found.at("link"), DT_LNK);
    EXPECT_EQ(found.at(".hidden"), DT_REG);
    EXPECT_EQ(found.count("line\nbreak"), 1u);
}

// A name's length comes from its record; the reader's buffer first holds long
// names, so the bytes after each short name's NUL are not zero.
TEST(DirectoryReaderTest, NameLengthsAreExactForEveryLengthOverLeftoverBytes) {
    TempTree tree;
    for (int i = 0; i < 200; ++i) tree.file("long/" + std::string(240, 'q') + std::to_string(i));
    std::vector<std::string> names;
    for (std::size_t length = 1; length <= 255; ++length)
        names.push_back(std::string(length, static_cast<char>('a' + length % 26)));
    for (const char* odd : {"...", ".a", "a.", "x\ny", "\xff\xfe"}) names.push_back(odd);
    for (const std::string& name : names) tree.file("every/" + name);

    DirectoryReader reader(DirectoryReader::openFolder(tree.path("long"), false));
    EXPECT_EQ(readAll(reader).size(), 200u);
    reader.reset(DirectoryReader::openFolder(tree.path("every"), false));
    std::vector<std::string> found;
    DirectoryReader::Entry entry;
    while (reader.next(entry)) {
        EXPECT_EQ(entry.length, std::strlen(entry.name)) << entry.name;
        found.emplace_back(entry.name, entry.length);
    }
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
}

TEST(DirectoryReaderTest, ResetStartsTheNextFolderAfreshEvenMidway) {
    TempTree tree;
    for (int i = 0; i < 400; ++i) tree.file("first/" + std::string(100, 'f') + std::to_string(i));
    tree.file("second/only");

    DirectoryReader reader(DirectoryReader::openFolder(tree.path("first"), false));
    DirectoryReader::Entry entry;
    ASSERT_TRUE(reader.next(entry));
    reader.reset(DirectoryReader::openFolder(tree.path("second"), false));
    EXPECT_EQ(readAll(reader), (std::map<std::string, unsigned char>{{"only", DT_REG}}));
    // Read to the end, a reader stays at the end.
    EXPECT_FALSE(reader.next(entry));

    reader.reset();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(reader.next(entry));
    EXPECT_FALSE(reader.failed());
}

// Both the reader's own buffer and a caller's go along with a move: the
// moved-from reader, used again, must not read into the buffer the other
// one is still handing out names from.
TEST(DirectoryReaderTest, AMovedReaderKeepsItsBufferAndPlace) {
    TempTree tree;
    for (int i = 0; i < 300; ++i) tree.file("many/" + std::string(100, 'm') + std::to_string(i));
    tree.file("other/" + std::string(100, 'o'));
    std::vector<char> given(DirectoryReader::bufferSize);

    for (bool callerBuffer : {false, true}) {
        DirectoryReader first = callerBuffer ? DirectoryReader(given.data()) : DirectoryReader();
        first.reset(DirectoryReader::openFolder(tree.path("many"), false));
        DirectoryReader::Entry entry;
        ASSERT_TRUE(first.next(entry));
        const std::string firstName = entry.name;

        DirectoryReader moved(std::move(first));
        first.reset(DirectoryReader::openFolder(tree.path("other"), false));
        EXPECT_EQ(readAll(first), (std::map<std::string, unsigned char>{{std::string(100, 'o'), DT_REG}}));

        EXPECT_EQ(std::string(entry.name), firstName) << callerBuffer;
        auto rest = readAll(moved);
        EXPECT_FALSE(moved.failed());
        EXPECT_EQ(rest.size(), 299u) << callerBuffer;
        EXPECT_EQ(rest.count(firstName), 0u);
    }
}

TEST(DirectoryReaderTest, NeverFollowsALinkUnlessTheCallerAsks) {
    TempTree tree;
    tree.file("real/inside");
    tree.symlink("parent/link", tree.path("real"));
    tree.folder("parent/sub");

    DirectoryReader parent(DirectoryReader::openFolder(tree.path("parent"), false));
    EXPECT_TRUE(parent.openChild("sub").valid());
    EXPECT_FALSE(parent.openChild("link").valid());
    EXPECT_FALSE(parent.openChild("missing").valid());

    EXPECT_FALSE(DirectoryReader::openFolder(tree.path("parent/link"), false).valid());
    DirectoryReader followed(DirectoryReader::openFolder(tree.path("parent/link"), true));
    EXPECT_EQ(readAll(followed), (std::map<std::string, unsigned char>{{"inside", DT_REG}}));
    EXPECT_FALSE(DirectoryReader::openFolder(tree.path("real/inside"), true).valid());
}

TEST(DirectoryReaderTest, ADescriptorThatIsNoFolderEndsWithAFailure) {
    TempTree tree;
    const std::string file = tree.file("plain", 10);
    DirectoryReader reader(UniqueFd(::open(file.c_str(), O_RDONLY | O_CLOEXEC)));
    ASSERT_TRUE(reader.isOpen());
    DirectoryReader::Entry entry;
    EXPECT_FALSE(reader.next(entry));
    EXPECT_TRUE(reader.failed());
}

TEST(DirectoryReaderTest, TellsAPseudoFileSystemOnlyAcrossADeviceChange) {
    struct stat proc {};
    struct stat root {};
    if (::stat("/proc/self", &proc) != 0 || ::stat("/", &root) != 0 || proc.st_dev == root.st_dev)
        GTEST_SKIP() << "no separate /proc here";
    DirectoryReader reader(DirectoryReader::openFolder("/proc", false));
    ASSERT_TRUE(reader.isOpen());
    EXPECT_TRUE(reader.isPseudoFileSystemAt(proc.st_dev, root.st_dev));
    // Within one device nothing is asked: the walk is already inside.
    EXPECT_FALSE(reader.isPseudoFileSystemAt(proc.st_dev, proc.st_dev));

    TempTree tree;
    struct stat temp {};
    ASSERT_EQ(::stat(tree.root().c_str(), &temp), 0);
    DirectoryReader plain(DirectoryReader::openFolder(tree.root(), false));
    EXPECT_FALSE(plain.isPseudoFileSystemAt(temp.st_dev, temp.st_dev + 1));
}

}  // namespace
}  // namespace korvane
