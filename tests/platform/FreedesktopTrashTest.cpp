#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <regex>

#include "core/platform/Trash_linux.h"
#include "tests/platform/RemovalTestSupport.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::exists;
using testing::fingerprint;
using testing::outsideOf;
using testing::readFile;
using testing::ScopedMount;
using testing::TempTree;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

struct TrashHome {
    TempTree tree;
    std::string home = tree.folder("home");
    std::string trashRoot = tree.path("home/.local/share/Trash");
    FreedesktopTrash trash{trashRoot, home};

    std::string files(const std::string& name) const { return trashRoot + "/files/" + name; }
    std::string info(const std::string& name) const { return trashRoot + "/info/" + name + ".trashinfo"; }
    void writeRecord(const std::string& name, const std::string& originalPath) {
        tree.text("home/.local/share/Trash/info/" + name + ".trashinfo",
                  "[Trash Info]\nPath=" + FreedesktopTrash::encodePath(originalPath) +
                      "\nDeletionDate=2024-01-01T10:00:00\n");
    }
};

TEST(FreedesktopTrash, MoveCreatesAMissingTrashPrivateToTheUser) {
    TrashHome t;
    const std::string item = t.tree.file("home/project/node_modules/a.js", 10);
    const std::string folder = t.tree.path("home/project/node_modules");
    ASSERT_FALSE(exists(t.trashRoot));

    auto result = t.trash.moveToTrash(folder);

    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.trashedPath, t.files("node_modules"));
    EXPECT_FALSE(exists(folder));
    EXPECT_TRUE(exists(t.files("node_modules") + "/a.js"));
    EXPECT_EQ(modeOf(t.trashRoot), 0700u);
    EXPECT_EQ(modeOf(t.trashRoot + "/files"), 0700u);
    EXPECT_EQ(modeOf(t.trashRoot + "/info"), 0700u);
    EXPECT_EQ(modeOf(t.tree.path("home/.local")), 0700u);

    const std::string record = readFile(t.info("node_modules"));
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        record, match,
        std::regex("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n")))
        << record;
    EXPECT_EQ(FreedesktopTrash::decodePath(match[1].str()), folder);
    EXPECT_TRUE(t.trash.holds(result.trashedPath, folder));
    EXPECT_FALSE(t.trash.holds(result.trashedPath, folder + "2"));
}

TEST(FreedesktopTrash, NameClashesTakeTheNextFreeName) {
    TrashHome t;
    const std::string first = t.tree.file("home/a/cache", 1);
    const std::string second = t.tree.file("home/b/cache", 2);
    const std::string third = t.tree.file("home/c/cache", 3);
    // A foreign item without a record and a record without an item already hold names.
    t.tree.text("home/.local/share/Trash/files/cache.3", "foreign");
    t.writeRecord("cache.4", "/somewhere/else/cache");
    auto foreign = fingerprint(t.trashRoot);

    auto r1 = t.trash.moveToTrash(first);
    auto r2 = t.trash.moveToTrash(second);
    auto r3 = t.trash.moveToTrash(third);

    EXPECT_EQ(r1.trashedPath, t.files("cache"));
    EXPECT_EQ(r2.trashedPath, t.files("cache.2"));
    EXPECT_EQ(r3.trashedPath, t.files("cache.5"));
    EXPECT_EQ(readFile(t.files("cache.3")), "foreign");
    EXPECT_FALSE(exists(t.info("cache.3")));  // the record tried for the taken name was taken back
    EXPECT_EQ(foreign.at("info/cache.4.trashinfo"), fingerprint(t.trashRoot).at("info/cache.4.trashinfo"));
    EXPECT_TRUE(t.trash.holds(r3.trashedPath, third));
}

TEST(FreedesktopTrash, PutBackRestoresAndRemovesTheRecord) {
    TrashHome t;
    const std::string folder = t.tree.folder("home/app/build");
    t.tree.file("home/app/build/out.o", 100);
    auto before = fingerprint(folder);
    auto moved = t.trash.moveToTrash(folder);
    ASSERT_TRUE(moved.ok());

    auto back = t.trash.putBack(moved.trashedPath, folder);

    EXPECT_TRUE(back.ok());
    EXPECT_EQ(before, fingerprint(folder));
    EXPECT_FALSE(exists(moved.trashedPath));
    EXPECT_FALSE(exists(t.info("build")));
    // Nothing is left to put back a second time.
    EXPECT_EQ(t.trash.putBack(moved.trashedPath, folder).status, Trash::Status::notInTrash);
}

TEST(FreedesktopTrash, PutBackRecreatesMissingParentFolders) {
    TrashHome t;
    const std::string item = t.tree.text("home/gone/deeper/cache.db", "data");
    auto moved = t.trash.moveToTrash(item);
    ASSERT_TRUE(moved.ok());
    std::filesystem::remove_all(t.tree.path("home/gone"));

    EXPECT_TRUE(t.trash.putBack(moved.trashedPath, item).ok());
    EXPECT_EQ(readFile(item), "data");
}

TEST(FreedesktopTrash, PutBackNeverOverwrites) {
    TrashHome t;
    const std::string item = t.tree.text("home/notes.txt", "old");
    auto moved = t.trash.moveToTrash(item);
    ASSERT_TRUE(moved.ok());
    t.tree.text("home/notes.txt", "new");
    auto before = fingerprint(t.tree.root());

    auto back = t.trash.putBack(moved.trashedPath, item);

    EXPECT_EQ(back.status, Trash::Status::destinationExists);
    EXPECT_EQ(readFile(item), "new");
    EXPECT_EQ(before, fingerprint(t.tree.root()));
    EXPECT_TRUE(t.trash.holds(moved.trashedPath, item));
}

TEST(FreedesktopTrash, PutBackRefusesALinkOnTheWay) {
    TrashHome t;
    const std::string item = t.tree.text("home/project/cache/x", "x");
    auto moved = t.trash.moveToTrash(t.tree.path("home/project/cache"));
    ASSERT_TRUE(moved.ok());
    std::filesystem::remove_all(t.tree.path("home/project"));
    t.tree.folder("elsewhere");
    t.tree.symlink("home/project", t.tree.path("elsewhere"));

    auto back = t.trash.putBack(moved.trashedPath, t.tree.path("home/project/cache"));

    EXPECT_EQ(back.status, Trash::Status::failed);
    EXPECT_EQ(back.error, ELOOP);
    EXPECT_FALSE(exists(t.tree.path("elsewhere/cache")));
    EXPECT_TRUE(exists(moved.trashedPath));
}

TEST(FreedesktopTrash, PurgeEmptiesOnlyWhatTheRecordProves) {
    TrashHome t;
    const std::string ours = t.tree.file("home/mine/cache/blob", 4096);
    const std::string oursFolder = t.tree.path("home/mine/cache");
    auto moved = t.trash.moveToTrash(oursFolder);
    ASSERT_TRUE(moved.ok());
    // A same-named foreign item whose record names another place.
    t.tree.text("home/.local/share/Trash/files/cache.2/theirs", "keep");
    t.writeRecord("cache.2", t.tree.path("home/theirs/cache"));
    auto foreignItem = fingerprint(t.files("cache.2"));
    const std::string foreignRecord = readFile(t.info("cache.2"));

    EXPECT_EQ(t.trash.purge(t.files("cache.2"), oursFolder).status, Trash::Status::notInTrash);
    EXPECT_TRUE(t.trash.purge(moved.trashedPath, oursFolder).ok());

    EXPECT_FALSE(exists(moved.trashedPath));
    EXPECT_FALSE(exists(t.info("cache")));
    EXPECT_EQ(foreignItem, fingerprint(t.files("cache.2")));
    EXPECT_EQ(foreignRecord, readFile(t.info("cache.2")));
}

TEST(FreedesktopTrash, ItemWithoutARecordIsNeverTouched) {
    TrashHome t;
    const std::string item = t.tree.text("home/x", "x");
    auto moved = t.trash.moveToTrash(item);
    ASSERT_TRUE(moved.ok());
    ASSERT_EQ(unlink(t.info("x").c_str()), 0);
    auto before = fingerprint(t.tree.root());

    EXPECT_FALSE(t.trash.holds(moved.trashedPath, item));
    EXPECT_EQ(t.trash.putBack(moved.trashedPath, item).status, Trash::Status::notInTrash);
    EXPECT_EQ(t.trash.purge(moved.trashedPath, item).status, Trash::Status::notInTrash);
    EXPECT_EQ(before, fingerprint(t.tree.root()));
}

TEST(FreedesktopTrash, LocationsOutsideTheTrashAreNotItsOwn) {
    TrashHome t;
    const std::string decoy = t.tree.text("home/Documents/files/report.txt", "precious");
    t.tree.text("home/Documents/info/report.txt.trashinfo", "[Trash Info]\nPath=" + decoy + "\n");
    auto before = fingerprint(t.tree.root());

    EXPECT_TRUE(t.trash.isTrashLocation(t.files("x")));
    EXPECT_FALSE(t.trash.isTrashLocation(t.files("x") + "/y"));
    EXPECT_FALSE(t.trash.isTrashLocation(t.trashRoot + "/info/x"));
    EXPECT_FALSE(t.trash.isTrashLocation(decoy));
    EXPECT_FALSE(t.trash.isTrashLocation(t.tree.path("home/.Trash-0/files/x")));  // not a volume's top
    EXPECT_EQ(t.trash.purge(decoy, decoy).status, Trash::Status::notInTrash);
    EXPECT_EQ(before, fingerprint(t.tree.root()));
}

TEST(FreedesktopTrash, LinkItemIsRefused) {
    TrashHome t;
    t.tree.folder("home/Documents");
    const std::string link = t.tree.symlink("home/cache", t.tree.path("home/Documents"));
    auto before = fingerprint(t.tree.root());
    auto result = t.trash.moveToTrash(link);
    EXPECT_EQ(result.status, Trash::Status::failed);
    EXPECT_EQ(result.error, ELOOP);
    EXPECT_EQ(before, fingerprint(t.tree.root()));
}

TEST(FreedesktopTrash, OddAndLongNamesRoundTrip) {
    TrashHome t;
    const std::string longName(250, 'n');
    for (const std::string& name :
         {std::string("line\nbreak"), std::string("bad\xff\xfe"), std::string("50% off #1"),
          std::string("caf\xc3\xa9 ") + std::string(240, 'e'), longName}) {
        const std::string item = t.tree.text("home/odd/" + name, "data");
        auto moved = t.trash.moveToTrash(item);
        ASSERT_TRUE(moved.ok()) << name << " " << moved.error;
        EXPECT_LE(moved.trashedPath.size() - moved.trashedPath.rfind('/') - 1 + 10, 255u);
        const std::string trashName = moved.trashedPath.substr(moved.trashedPath.rfind('/') + 1);
        const std::string record = readFile(t.info(trashName));
        EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 3) << record;
        EXPECT_TRUE(t.trash.putBack(moved.trashedPath, item).ok()) << name;
        EXPECT_EQ(readFile(item), "data");
    }
}

// Long names of bytes that are not UTF-8 lead bytes (Latin-1 symbols such as
// "©" and "°") must still be shortened to a usable name, never to nothing.
TEST(FreedesktopTrash, LongNamesOfNonLeadBytesAreShortenedToAUsableName) {
    TrashHome t;
    for (const std::string& name :
         {std::string(250, '\xa9'), std::string(240, 'a') + std::string(15, '\xb0')}) {
        const std::string item = t.tree.text("home/odd/" + name, "data");
        auto moved = t.trash.moveToTrash(item);
        ASSERT_TRUE(moved.ok()) << moved.error << " " << moved.message;
        const std::string trashName = moved.trashedPath.substr(moved.trashedPath.rfind('/') + 1);
        EXPECT_FALSE(trashName.empty());
        EXPECT_LE(trashName.size() + 10, 255u);
        EXPECT_FALSE(exists(t.trashRoot + "/info/.trashinfo"));
        EXPECT_TRUE(t.trash.holds(moved.trashedPath, item));
        EXPECT_TRUE(t.trash.putBack(moved.trashedPath, item).ok());
        EXPECT_EQ(readFile(item), "data");
    }
}

TEST(FreedesktopTrash, UnusableHomeTrashFailsWithoutTouchingTheItemAndNamesTheTrash) {
    // A file where a folder of the Trash should be: above it, the Trash itself, or its files folder.
    for (const char* blocker : {"home/.local/share", "home/.local/share/Trash", "home/.local/share/Trash/files"}) {
        SCOPED_TRACE(blocker);
        TempTree tree;
        const std::string home = tree.folder("home");
        tree.text(blocker, "a file where a folder should be");
        const std::string trashRoot = home + "/.local/share/Trash";
        FreedesktopTrash trash(trashRoot, home);
        tree.text("home/cache/x", "x");
        auto before = fingerprint(tree.root());

        auto result = trash.moveToTrash(home + "/cache");

        EXPECT_EQ(result.status, Trash::Status::failed);
        EXPECT_TRUE(result.error == ENOTDIR || result.error == ELOOP) << result.error;
        // Not a bare "Not a directory", which reads as being about the item.
        EXPECT_EQ(result.message, "Korvane cannot use the Trash at \u201C" + trashRoot +
                                      "\u201D: something on its path is not a folder, so the item stays where it is.");
        EXPECT_EQ(before, fingerprint(tree.root()));
    }
}

TEST(FreedesktopTrash, PathEncoding) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    const std::string encoded = FreedesktopTrash::encodePath(all);
    EXPECT_EQ(
        encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%"),
        std::string::npos);
    EXPECT_EQ(FreedesktopTrash::decodePath(encoded), all);
    EXPECT_EQ(FreedesktopTrash::encodePath("/home/a b/\xc3\xa9\n"), "/home/a%20b/%C3%A9%0A");
    EXPECT_EQ(FreedesktopTrash::decodePath("/a%2fb%2Fc"), "/a/b/c");
    EXPECT_EQ(FreedesktopTrash::decodePath("/a%00b"), std::nullopt);
    EXPECT_EQ(FreedesktopTrash::decodePath("/a%2"), std::nullopt);
    EXPECT_EQ(FreedesktopTrash::decodePath("/a%zz"), std::nullopt);
}

TEST(FreedesktopTrash, RecordedPathReadsOnlyTheTrashInfoGroup) {
    EXPECT_EQ(FreedesktopTrash::recordedPath("[Other]\nPath=/x\n[Trash Info]\r\nPath=/y%20z\r\n"), "/y z");
    EXPECT_EQ(FreedesktopTrash::recordedPath("[Other]\nPath=/x\n"), std::nullopt);
    EXPECT_EQ(FreedesktopTrash::recordedPath("Path=/x\n"), std::nullopt);
}

TEST(FreedesktopTrash, DeletionDateIsLocalTime) {
    testing::ScopedEnv tz("TZ", "UTC");
    tzset();
    EXPECT_EQ(FreedesktopTrash::deletionDate(std::chrono::system_clock::from_time_t(1700000000)),
              "2023-11-14T22:13:20");
}

TEST(FreedesktopTrash, DefaultHomeTrashFollowsXdgDataHome) {
    testing::ScopedEnv data("XDG_DATA_HOME", "/data/me/share/");
    EXPECT_EQ(FreedesktopTrash::defaultHomeTrash(), "/data/me/share/Trash");
    testing::ScopedEnv relative("XDG_DATA_HOME", "share");
    EXPECT_NE(FreedesktopTrash::defaultHomeTrash(), "share/Trash");
}

// An item on another file system goes to that file system's own trash folder,
// never through a copy.
TEST(FreedesktopTrash, OtherVolumeUsesItsTopTrashFolder) {
    TrashHome t;
    const std::string volume = t.tree.folder("home/volume");
    auto mount = ScopedMount::tmpfs(volume);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string item = t.tree.text("home/volume/project/build/out.o", "obj");
    const std::string folder = t.tree.path("home/volume/project/build");

    auto moved = t.trash.moveToTrash(folder);

    ASSERT_TRUE(moved.ok()) << moved.message;
    const std::string topTrash = volume + "/.Trash-" + std::to_string(geteuid());
    EXPECT_EQ(moved.trashedPath, topTrash + "/files/build");
    EXPECT_EQ(modeOf(topTrash), 0700u);
    EXPECT_EQ(readFile(topTrash + "/info/build.trashinfo").substr(0, 33),
              "[Trash Info]\nPath=project/build\nD");
    EXPECT_FALSE(exists(t.trashRoot + "/files/build"));
    EXPECT_TRUE(t.trash.isTrashLocation(moved.trashedPath));
    EXPECT_TRUE(t.trash.holds(moved.trashedPath, folder));
    EXPECT_TRUE(t.trash.putBack(moved.trashedPath, folder).ok());
    EXPECT_EQ(readFile(item), "obj");

    auto again = t.trash.moveToTrash(folder);
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(t.trash.purge(again.trashedPath, folder).ok());
    EXPECT_FALSE(exists(again.trashedPath));
    EXPECT_FALSE(exists(topTrash + "/info/build.trashinfo"));
}

TEST(FreedesktopTrash, OtherVolumeWithoutAUsableTrashFailsAndKeepsTheItem) {
    TrashHome t;
    const std::string volume = t.tree.folder("home/volume");
    auto mount = ScopedMount::tmpfs(volume);
    if (!mount.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    t.tree.text("home/volume/cache/x", "x");
    t.tree.folder("home/volume/elsewhere");
    t.tree.symlink("home/volume/.Trash-" + std::to_string(geteuid()), volume + "/elsewhere");
    auto before = fingerprint(volume);

    auto result = t.trash.moveToTrash(volume + "/cache");

    EXPECT_EQ(result.status, Trash::Status::failed);
    EXPECT_EQ(result.error, EXDEV);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(before, fingerprint(volume));
    EXPECT_TRUE(exists(volume + "/cache/x"));
    EXPECT_TRUE(std::filesystem::is_empty(volume + "/elsewhere"));
}

}  // namespace
}  // namespace korvane
