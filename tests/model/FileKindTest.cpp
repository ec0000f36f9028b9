#include "core/model/FileKind.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

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

// The rule written out plainly: the letters after the last dot (not a
// leading one), lower-cased, looked up in the tables.
FileKind plainKind(const std::string& name) {
    if (name.ends_with(".app")) return FileKind::apps;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return FileKind::any;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (auto kind : allFileKinds())
        if (extensions(kind).count(extension) != 0) return kind;
    return FileKind::any;
}

TEST(FileKindTest, EveryNameLengthAndDotPlaceAgreesWithThePlainRule) {
    // Names of every length around the eight bytes read at once, with the
    // dot at each place, leading dots, several dots, odd bytes and cases.
    const std::vector<std::string> endings = {"png", "PNG", "Jpeg", "numbers", "NUMBERS", "numbersx", "c", "C",
                                              "7z", "tar.gz", "", "app", "APP", "p\xC3\xA9g", "md.", ".md"};
    const std::vector<std::string> stems = {"", ".", "..", "a", ".a", "a.b", "\xC3\xA9", "Z", "@", "[", "`", "{"};
    std::size_t checked = 0;
    for (const std::string& stem : stems)
        for (std::size_t fill = 0; fill <= 10; ++fill)
            for (const std::string& ending : endings) {
                const std::string base = stem + std::string(fill, 'x');
                for (const std::string& name : {base + "." + ending, base + ending, "." + base + ending}) {
                    ASSERT_EQ(classifyFileKind(name, false), plainKind(name)) << name;
                    ASSERT_EQ(classifyFileKind(name, true), name.ends_with(".app") ? FileKind::apps
                                                                                     : FileKind::folders)
                        << name;
                    ++checked;
                }
            }
    EXPECT_GT(checked, 5000u);
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
