#include "core/model/FileKind.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(FileKindTest, Classify) {
    EXPECT_EQ(classifyFileKind("backup.tar.gz", false), FileKind::archives);
    EXPECT_EQ(classifyFileKind("PHOTO.JPG", false), FileKind::images);
    EXPECT_EQ(classifyFileKind("Safari.app", true), FileKind::apps);
    EXPECT_EQ(classifyFileKind("Safari.app", false), FileKind::apps);
    EXPECT_EQ(classifyFileKind("Safari.APP", true), FileKind::folders);
    EXPECT_EQ(classifyFileKind("src", true), FileKind::folders);
    EXPECT_EQ(classifyFileKind("pictures.png", true), FileKind::folders);
    EXPECT_EQ(classifyFileKind(".zshrc", false), FileKind::any);
    EXPECT_EQ(classifyFileKind("Makefile", false), FileKind::any);
    EXPECT_EQ(classifyFileKind("notes", false), FileKind::any);
    EXPECT_EQ(classifyFileKind("trailing.", false), FileKind::any);
    EXPECT_EQ(classifyFileKind(".config.json", false), FileKind::code);
    EXPECT_EQ(classifyFileKind("song.FLAC", false), FileKind::audio);
    EXPECT_EQ(classifyFileKind("clip.webm", false), FileKind::video);
    EXPECT_EQ(classifyFileKind("book.epub", false), FileKind::documents);
    EXPECT_EQ(classifyFileKind("", false), FileKind::any);
}

TEST(FileKindTest, OnlyAWholeKnownExtensionInAnyCaseCounts) {
    const struct {
        std::string name;
        FileKind kind;
    } cases[] = {
        {"x.PnG", FileKind::images},
        {"x.NUMBERS", FileKind::documents},
        {"x.numbersx", FileKind::any},
        {"x.jpegjpeg", FileKind::any},
        {"x.pn", FileKind::any},
        {"x.g", FileKind::any},
        {std::string("x.\0png", 6), FileKind::any},
        {std::string("x.png\0", 6), FileKind::any},
        {"x.p\xC3\xA9g", FileKind::any},
        {"archive.tar.GZ", FileKind::archives},
        {"dir.png/file", FileKind::any},
    };
    for (const auto& c : cases) EXPECT_EQ(classifyFileKind(c.name, false), c.kind) << c.name;
}

TEST(FileKindTest, TablesAreCompleteAndDisjoint) {
    EXPECT_EQ(allFileKinds().size(), 9u);
    EXPECT_TRUE(extensions(FileKind::any).empty());
    EXPECT_TRUE(extensions(FileKind::apps).empty());
    EXPECT_TRUE(extensions(FileKind::folders).empty());
    std::set<std::string> seen;
    std::size_t total = 0;
    for (auto kind : allFileKinds()) {
        EXPECT_EQ(fileKindFromRawValue(rawValue(kind)), kind);
        for (const auto& extension : extensions(kind)) {
            seen.insert(extension);
            ++total;
            EXPECT_EQ(classifyFileKind("x." + extension, false), kind) << extension;
        }
    }
    EXPECT_EQ(seen.size(), total);
    EXPECT_EQ(title(FileKind::apps), "Applications");
    EXPECT_EQ(title(FileKind::any), "Anything");
    EXPECT_EQ(symbolName(FileKind::code), "chevron.left.forwardslash.chevron.right");
    EXPECT_FALSE(fileKindFromRawValue("Images"));
}

}  // namespace
}  // namespace korvane
