#include "core/text/FileURL.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(FileURLTest, PercentEncodesThePath) {
    EXPECT_EQ(FileURL::fromPath("/home/a/My Project/node_modules"), "file:///home/a/My%20Project/node_modules");
    EXPECT_EQ(FileURL::fromPath("/tmp/100%/a#b?c"), "file:///tmp/100%25/a%23b%3Fc");
    EXPECT_EQ(FileURL::fromPath("/tmp/caf\xC3\xA9"), "file:///tmp/caf%C3%A9");
    EXPECT_EQ(FileURL::fromPath("/tmp/a\nb"), "file:///tmp/a%0Ab");
}

TEST(FileURLTest, OddNamesRoundTrip) {
    for (std::string path : {"/", "/home/a/b c", "/tmp/\xFF\xFE invalid utf8", "/tmp/line\nbreak", "/tmp/%41",
                             "/tmp/a+b=c;d@e:f", "/tmp/\"quoted\" 'single'"})
        EXPECT_EQ(FileURL::toPath(FileURL::fromPath(path)), path) << path;
}

TEST(FileURLTest, DecodesToStandardisedPaths) {
    EXPECT_EQ(FileURL::toPath("file:///home/a/Library/"), "/home/a/Library");
    EXPECT_EQ(FileURL::toPath("file://localhost/home/a"), "/home/a");
    EXPECT_EQ(FileURL::toPath("file:///home/a/./b//c/../d"), "/home/a/b/d");
    EXPECT_EQ(FileURL::toPath("file:///tmp/%2e%2e/etc"), "/etc");
}

TEST(FileURLTest, RefusesWhatIsNotALocalPath) {
    for (std::string text : {"", "/home/a", "file:", "file://", "file:home/a", "http://x/home", "file://host/home",
                             "file:///tmp/%", "file:///tmp/%4", "file:///tmp/%zz", "file:///tmp/a?b", "file:///tmp/a#b",
                             "FILE:///tmp"})
        EXPECT_FALSE(FileURL::toPath(text)) << text;
}

TEST(FileURLTest, NulBytesNeverDecode) {
    EXPECT_FALSE(FileURL::toPath("file:///tmp/a%00b"));
    EXPECT_FALSE(FileURL::toPath(std::string("file:///tmp/a\0b", 16)));
}

}  // namespace
}  // namespace korvane
