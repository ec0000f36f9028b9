#include "core/system/Paths.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/TempTree.h"

namespace korvane {
namespace {

// Each test reads the home folder from $HOME pointed at a temporary tree and
// leaves the cache reset for the next test.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting(std::nullopt); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }
    testing::TempTree tree;
};

TEST_F(PathsTest, HomeComesFromTheEnvironmentStandardised) {
    testing::ScopedEnv env("HOME", tree.root() + "//");
    Paths::reset();
    EXPECT_EQ(Paths::home(), tree.root());
    EXPECT_TRUE(Paths::homeIsUsable());
    EXPECT_EQ(Paths::home("Library", "Caches"), tree.root() + "/Library/Caches");
    EXPECT_EQ(Paths::home(".local/share/Trash"), tree.root() + "/.local/share/Trash");
    EXPECT_EQ(Paths::home("/Developer/"), tree.root() + "/Developer");
    EXPECT_EQ(Paths::homeDirectory(), tree.root());
}

TEST_F(PathsTest, HomeIsReadOnceUntilReset) {
    testing::ScopedEnv env("HOME", tree.folder("one"));
    Paths::reset();
    EXPECT_EQ(Paths::home(), tree.path("one"));
    testing::ScopedEnv other("HOME", tree.folder("two"));
    EXPECT_EQ(Paths::home(), tree.path("one"));
    Paths::reset();
    EXPECT_EQ(Paths::home(), tree.path("two"));
}

TEST_F(PathsTest, UnusableHomes) {
    auto check = [&](const std::string& home) {
        Paths::setHomeForTesting(home);
        return Paths::homeIsUsable();
    };
    EXPECT_TRUE(check(tree.root()));
    EXPECT_FALSE(check("/"));
    EXPECT_FALSE(check("//"));
    EXPECT_FALSE(check("/tmp/.."));
    EXPECT_FALSE(check("relative/home"));
    EXPECT_FALSE(check(tree.path("missing")));
    EXPECT_FALSE(check(tree.file("plain-file")));
    EXPECT_FALSE(check(""));
    EXPECT_EQ(Paths::home(), "/");
}

TEST_F(PathsTest, FallsBackToThePasswordDatabase) {
    testing::ScopedEnv env("HOME", std::nullopt);
    Paths::reset();
    auto home = Paths::home();
    EXPECT_FALSE(home.empty());
    EXPECT_EQ(home.front(), '/');
}

TEST_F(PathsTest, Standardise) {
    Paths::setHomeForTesting("/home/u");
    struct Case {
        const char* input;
        const char* expected;
    } cases[] = {
        {"/", "/"},
        {"//", "/"},
        {"/a//b///c/", "/a/b/c"},
        {"/a/./b/.", "/a/b"},
        {"/a/b/../c", "/a/c"},
        {"/a/b/../../..", "/"},
        {"/../x", "/x"},
        {"/Users/a/./Library//Caches/../Caches/x", "/Users/a/Library/Caches/x"},
        {"~", "/home/u"},
        {"~/", "/home/u"},
        {"~/Library/../x", "/home/u/x"},
        {"/a/~/b", "/a/~/b"},
        {"a/b/../c", "a/c"},
        {"./a", "a"},
        {"../a", "../a"},
        {"a/../..", ".."},
        {".", "."},
        {"", ""},
        {"/a/...", "/a/..."},
        {"/a/b c/\xFF", "/a/b c/\xFF"},
    };
    for (const auto& c : cases) EXPECT_EQ(Paths::standardise(c.input), std::string(c.expected)) << c.input;
    EXPECT_EQ(Paths::standardise("~no-such-user-here/x"), "~no-such-user-here/x");
}

TEST_F(PathsTest, NulBytesMakeAPathInvalid) {
    std::string withNul("/tmp/a\0b", 8);
    EXPECT_FALSE(Paths::standardise(withNul));
    EXPECT_FALSE(Paths::isValid(withNul));
    EXPECT_TRUE(Paths::isValid("/tmp/a b"));
}

TEST_F(PathsTest, ComponentHelpers) {
    EXPECT_EQ(Paths::join("/a", "b"), "/a/b");
    EXPECT_EQ(Paths::join("/a/", "/b"), "/a/b");
    EXPECT_EQ(Paths::join("/", "b"), "/b");
    EXPECT_EQ(Paths::join("/a", ""), "/a");
    EXPECT_EQ(Paths::lastComponent("/a/b"), "b");
    EXPECT_EQ(Paths::lastComponent("/a/b/"), "b");
    EXPECT_EQ(Paths::lastComponent("/"), "/");
    EXPECT_EQ(Paths::parent("/a/b"), "/a");
    EXPECT_EQ(Paths::parent("/a"), "/");
    EXPECT_EQ(Paths::parent("/"), "/");
    EXPECT_TRUE(Paths::isAtOrBelow("/a/b", "/a"));
    EXPECT_TRUE(Paths::isAtOrBelow("/a", "/a"));
    EXPECT_TRUE(Paths::isAtOrBelow("/a", "/"));
    EXPECT_FALSE(Paths::isAtOrBelow("/ab", "/a"));
    EXPECT_FALSE(Paths::isAtOrBelow("/a", "/a/b"));
}

TEST_F(PathsTest, ExtensionsFollowTheLastDotUnlessItLeads) {
    EXPECT_EQ(Paths::extension("archive.tar.gz"), "gz");
    EXPECT_EQ(Paths::extension("Pixel_7.avd"), "avd");
    EXPECT_EQ(Paths::extension(".profile"), "");
    EXPECT_EQ(Paths::extension("README"), "");
    EXPECT_EQ(Paths::extension("trailing."), "");
    EXPECT_EQ(Paths::withoutExtension("iOS 17.2.simruntime"), "iOS 17.2");
    EXPECT_EQ(Paths::withoutExtension(".profile"), ".profile");
    EXPECT_EQ(Paths::withoutExtension("README"), "README");
    EXPECT_EQ(Paths::withoutExtension("trailing."), "trailing");
}

TEST_F(PathsTest, HomeIsAbbreviatedOnlyAsALeadingComponent) {
    Paths::setHomeForTesting(tree.root());
    EXPECT_EQ(Paths::abbreviatingHome(tree.root()), "~");
    EXPECT_EQ(Paths::abbreviatingHome(tree.path("Library/Caches")), "~/Library/Caches");
    EXPECT_EQ(Paths::abbreviatingHome(tree.root() + "2/x"), tree.root() + "2/x");
    EXPECT_EQ(Paths::abbreviatingHome("/backup" + tree.root()), "/backup" + tree.root());
    Paths::setHomeForTesting("/");
    EXPECT_EQ(Paths::abbreviatingHome("/etc"), "/etc");
}

}  // namespace
}  // namespace korvane
