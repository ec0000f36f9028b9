#include "core/system/PathPattern.h"

#include <gtest/gtest.h>

#include "core/system/Paths.h"

namespace korvane {
namespace {

class PathPatternTest : public ::testing::Test {
protected:
    void SetUp() override { Paths::setHomeForTesting("/home/tester"); }
    void TearDown() override { Paths::setHomeForTesting(std::nullopt); }
};

TEST_F(PathPatternTest, TildeIsExpandedIntoTheDescription) {
    PathPattern pattern("~/Library/Caches/**");
    EXPECT_EQ(pattern.description(), "/home/tester/Library/Caches/**");
    EXPECT_EQ(pattern.components(), (std::vector<std::string>{"home", "tester", "Library", "Caches", "**"}));
    EXPECT_EQ(PathPattern("~").description(), "/home/tester");
    // Only a leading tilde is special.
    EXPECT_EQ(PathPattern("/a/~/b").components(), (std::vector<std::string>{"a", "~", "b"}));
    EXPECT_EQ(PathPattern("~/x"), PathPattern("/home/tester/x"));
    EXPECT_FALSE(PathPattern("/a//b") == PathPattern("/a/b"));  // descriptions differ
}

TEST_F(PathPatternTest, DoubleStarMatchesTheFolderItselfAndAnythingBelow) {
    PathPattern pattern("~/Library/Caches/**");
    EXPECT_TRUE(pattern.matches("/home/tester/Library/Caches"));
    EXPECT_TRUE(pattern.matches("/home/tester/Library/Caches/a"));
    EXPECT_TRUE(pattern.matches("/home/tester/Library/Caches/a/b/c/d"));
    EXPECT_FALSE(pattern.matches("/home/tester/Library/CachesX"));
    EXPECT_FALSE(pattern.matches("/home/tester/Library"));
    EXPECT_FALSE(pattern.matches("/home/tester/Library/Other/Caches"));
}

TEST_F(PathPatternTest, SingleStarIsExactlyOneComponent) {
    PathPattern pattern("/var/folders/*/*/*/metro-*");
    EXPECT_TRUE(pattern.matches("/var/folders/ab/cd12/T/metro-cache"));
    EXPECT_TRUE(pattern.matches("/var/folders/ab/cd12/T/metro-"));
    EXPECT_FALSE(pattern.matches("/var/folders/ab/cd12/T/metro-cache/x"));
    EXPECT_FALSE(pattern.matches("/var/folders/ab/T/metro-cache"));
    EXPECT_FALSE(pattern.matches("/var/folders/ab/cd12/T/metro"));
}

TEST_F(PathPatternTest, StarsInsideAComponent) {
    PathPattern lock("/home/tester/.gradle/caches/*/*.lock");
    EXPECT_TRUE(lock.matches("/home/tester/.gradle/caches/8.5/build.lock"));
    EXPECT_TRUE(lock.matches("/home/tester/.gradle/caches/8.5/.lock"));
    EXPECT_FALSE(lock.matches("/home/tester/.gradle/caches/8.5/build.lock.bak"));
    EXPECT_FALSE(lock.matches("/home/tester/.gradle/caches/build.lock"));

    PathPattern contains("/tmp/*watchman*");
    EXPECT_TRUE(contains.matches("/tmp/watchman"));
    EXPECT_TRUE(contains.matches("/tmp/my-watchman-state"));
    EXPECT_FALSE(contains.matches("/tmp/watch-man"));
    EXPECT_FALSE(contains.matches("/tmp/x/watchman"));

    // Pieces appear in order and never overlap.
    PathPattern pieces("/a*b*a");
    EXPECT_TRUE(pieces.matches("/aba"));
    EXPECT_TRUE(pieces.matches("/axxbyya"));
    EXPECT_FALSE(pieces.matches("/ab"));
    EXPECT_FALSE(pieces.matches("/aab"));
    EXPECT_FALSE(PathPattern("/aa*aa").matches("/aaa"));
    EXPECT_TRUE(PathPattern("/aa*aa").matches("/aaaa"));
    EXPECT_TRUE(PathPattern("/**a").matches("/xa"));  // "**a" is not "**": a star inside
    EXPECT_FALSE(PathPattern("/**a").matches("/x/a"));
}

TEST_F(PathPatternTest, LeadingDoubleStarMatchesAtAnyDepthIncludingNone) {
    PathPattern pattern("**/node_modules");
    EXPECT_TRUE(pattern.matches("/node_modules"));
    EXPECT_TRUE(pattern.matches("/home/tester/p/node_modules"));
    EXPECT_TRUE(pattern.matches("/a/node_modules/b/node_modules"));
    EXPECT_FALSE(pattern.matches("/a/node_modules/b"));
    EXPECT_FALSE(pattern.matches("/"));

    PathPattern middle("/a/**/b/**/c");
    EXPECT_TRUE(middle.matches("/a/b/c"));
    EXPECT_TRUE(middle.matches("/a/x/b/y/z/c"));
    EXPECT_FALSE(middle.matches("/a/c"));
    EXPECT_TRUE(PathPattern("/**/**/**").matches("/"));
}

TEST_F(PathPatternTest, PathsAreStandardisedButPatternsAreNot) {
    PathPattern pattern("/Users/a/Library/Caches/*");
    EXPECT_TRUE(pattern.matches("/Users/a/./Library//Caches/../Caches/x"));
    EXPECT_TRUE(pattern.matches("/Users/a/Library/Caches/x/"));
    EXPECT_TRUE(PathPattern("/home/tester/x").matches("~/x"));

    // A "." or ".." in the pattern compares literally and so never matches.
    EXPECT_FALSE(PathPattern("/a/../b").matches("/b"));
    EXPECT_FALSE(PathPattern("/a/./b").matches("/a/b"));

    // Relative paths and NUL bytes never match.
    EXPECT_FALSE(PathPattern("**").matches("relative/path"));
    EXPECT_FALSE(PathPattern("/a/*").matches(std::string("/a/b\0c", 6)));
}

TEST_F(PathPatternTest, EmptyPatternMatchesOnlyTheRoot) {
    for (const char* text : {"", "/", "//"}) {
        PathPattern pattern(text);
        EXPECT_TRUE(pattern.components().empty()) << text;
        EXPECT_TRUE(pattern.matches("/")) << text;
        EXPECT_TRUE(pattern.matches("/a/..")) << text;
        EXPECT_FALSE(pattern.matches("/a")) << text;
    }
    EXPECT_TRUE(PathPattern("/**").matches("/"));
    EXPECT_FALSE(PathPattern("/*").matches("/"));
}

TEST_F(PathPatternTest, MatchingIsCaseSensitiveAndOtherCharactersAreLiteral) {
    EXPECT_FALSE(PathPattern("/x/DerivedData").matches("/x/deriveddata"));
    EXPECT_FALSE(PathPattern("/x/Derived*").matches("/x/derivedData"));
    EXPECT_TRUE(PathPattern("/x/a?[b]\\").matches("/x/a?[b]\\"));
    EXPECT_FALSE(PathPattern("/x/a?").matches("/x/ab"));
    EXPECT_TRUE(PathPattern("/x/caf\xC3\xA9*").matches("/x/caf\xC3\xA9-1"));
}

TEST_F(PathPatternTest, ManyDoubleStarsStayFast) {
    std::string text;
    for (int i = 0; i < 30; ++i) text += "/**/a";
    text += "/b";
    std::string path;
    for (int i = 0; i < 200; ++i) path += "/a";
    EXPECT_FALSE(PathPattern(text).matches(path));
    EXPECT_TRUE(PathPattern(text).matches(path + "/b"));
}

}  // namespace
}  // namespace korvane
