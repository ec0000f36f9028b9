#include "core/system/PropertyList.h"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>

#include <string>

#include "tests/support/BinaryPlist.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/TempTree.h"

namespace korvane {
namespace {

using testing::PlistForm;
using testing::StringPairs;
using testing::TempTree;

const StringPairs named{{"name", "iPhone 15"}};

TEST(PropertyListTest, ReadsStringsOfXmlAndBinaryDictionaries) {
    const StringPairs pairs{{"name", "iPhone 15 \xc3\xa9"}, {"empty", ""}, {"UDID", "ABC"}};
    for (PlistForm form : {PlistForm::xml, PlistForm::binaryAscii}) {
        const auto list = PropertyList::dictionaryFrom(testing::stringDictionary(pairs, form));
        ASSERT_TRUE(list) << formName(form);
        EXPECT_EQ(list->string("name"), "iPhone 15 \xc3\xa9") << formName(form);
        EXPECT_EQ(list->string("empty"), "") << formName(form);
        EXPECT_EQ(list->string("missing"), std::nullopt) << formName(form);
    }
    // What libplist itself writes, with a value that is no string.
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "name", plist_new_string("Watch \xe2\x8c\x9a"));
    plist_dict_set_item(dict, "count", plist_new_uint(4));
    const auto list = PropertyList::dictionaryFrom(testing::binaryPlist(dict));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->string("name"), "Watch \xe2\x8c\x9a");
    EXPECT_EQ(list->string("count"), std::nullopt);

    EXPECT_FALSE(PropertyList::dictionaryFrom("<plist><array><string>x</string></array></plist>"));
    EXPECT_FALSE(PropertyList::dictionaryFrom("<plist><dict><key>name</key><str"));
    EXPECT_FALSE(PropertyList::dictionaryFrom(""));
}

TEST(PropertyListTest, AStringHoldingNulIsAbsentAndTheRestIsRead) {
    const std::string nul(1, '\0');
    for (PlistForm form : {PlistForm::xml, PlistForm::binaryUtf16, PlistForm::binaryAscii}) {
        for (const std::string& value : {nul + "iPhone", "iPhone" + nul + "15", "iPhone" + nul, nul}) {
            const auto list =
                PropertyList::dictionaryFrom(testing::stringDictionary({{"name", value}, {"UDID", "ABC"}}, form));
            ASSERT_TRUE(list) << formName(form);
            // libplist itself cuts a one-byte binary string at its NUL; the
            // file could as well have held the shorter text.
            const auto expected = form == PlistForm::binaryAscii
                                      ? std::optional<std::string>(value.substr(0, value.find('\0')))
                                      : std::nullopt;
            EXPECT_EQ(list->string("name"), expected) << formName(form) << " " << value.size();
            EXPECT_EQ(list->string("UDID"), "ABC") << formName(form);
        }
    }
}

TEST(PropertyListTest, NestingIsReadUpToTheLimitAndRefusedBeyond) {
    // The top dictionary is one level of its own.
    const int inside = PropertyList::maxDepth - 1;
    // An empty container is a level too.
    const auto emptyInnermost = [](int levels) {
        std::string text = testing::deepXml(named, levels - 1);
        return text.replace(text.find("<array></array>"), 15, "<array><array/></array>");
    };
    // Closing tags that libplist skips hide no level.
    const auto hiddenClosings = [](int levels) {
        std::string text = testing::deepXml(named, levels);
        return text.insert(text.find("<key>nested</key>"),
                           "<!--</array></array>--><key>c</key><string><![CDATA[</array>]]></string>"
                           "<?pi </array> ?>");
    };
    struct Case {
        const char* label;
        std::string atLimit;
        std::string beyond;
    };
    const Case cases[] = {
        {"xml", testing::deepXml(named, inside), testing::deepXml(named, inside + 1)},
        {"binary", testing::deepBinary(named, inside), testing::deepBinary(named, inside + 1)},
        {"xml empty innermost", emptyInnermost(inside), emptyInnermost(inside + 1)},
        {"xml hidden closings", hiddenClosings(inside), hiddenClosings(inside + 1)},
    };
    for (const Case& c : cases) {
        const auto read = PropertyList::dictionaryFrom(c.atLimit);
        ASSERT_TRUE(read) << c.label;
        EXPECT_EQ(read->string("name"), "iPhone 15") << c.label;
        EXPECT_FALSE(PropertyList::dictionaryFrom(c.beyond)) << c.label;
    }
}

TEST(PropertyListTest, SharedReferencesAreReadUntilTheyExpandTooFar) {
    // 2^12 values once expanded: a real list may share objects.
    const auto shared = PropertyList::dictionaryFrom(testing::expandingBinary(named, 11));
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->string("name"), "iPhone 15");
    // 2^20 values: far more than any file of the size limit can hold as XML.
    EXPECT_FALSE(PropertyList::dictionaryFrom(testing::expandingBinary(named, 19)));
}

TEST(PropertyListTest, BinaryListsWithBrokenTablesAreRefused) {
    testing::RawBinaryPlist raw;
    const auto value = raw.ascii("iPhone");
    const std::string good = raw.bytes(raw.dict({{raw.ascii("name"), value}}));
    ASSERT_TRUE(PropertyList::dictionaryFrom(good));
    const std::size_t trailer = good.size() - 32;
    const auto patched = [&](std::size_t at, std::string bytes) {
        std::string copy = good;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    struct Case {
        const char* label;
        std::string bytes;
    };
    const std::size_t dictAt = good.find('\xd1');
    const Case cases[] = {
        {"reference width 3", patched(trailer + 7, "\x03")},
        {"reference past the objects", patched(dictAt + 1, std::string("\0\0\0\x09", 4))},
        {"member count past the table", patched(dictAt, "\xdf\x10\x7f")},
        {"object offset past the table", patched(trailer - 4, "\x7f\xff\xff\xff")},
        {"top object past the objects", patched(trailer + 23, "\x09")},
        {"offset table past the end", patched(trailer + 31, "\xff")},
        {"truncated", good.substr(0, good.size() - 1)},
    };
    for (const Case& c : cases) EXPECT_FALSE(PropertyList::dictionaryFrom(c.bytes)) << c.label;
}

TEST(PropertyListTest, HostileFilesAreRefusedQuickly) {
    TempTree tree;
    for (const auto& file : testing::hostilePlists({{"name", "iPhone 15"}})) {
        const auto path = tree.text(file.label + ".plist", file.bytes);
        const auto list = PropertyList::readDictionary(path);
        // A NUL string leaves the file readable but the string absent.
        if (list) {
            EXPECT_TRUE(file.label.starts_with("nul-")) << file.label;
            EXPECT_EQ(list->string("name"), std::nullopt) << file.label;
        } else {
            EXPECT_FALSE(file.label.starts_with("nul-")) << file.label;
        }
    }
}

TEST(PropertyListTest, ReadsOnlyRegularFilesUpToTheSizeLimit) {
    TempTree tree;
    const std::string text = testing::stringDictionary(named, PlistForm::xml);
    const auto path = tree.text("device.plist", text);
    ASSERT_TRUE(PropertyList::readDictionary(path));
    EXPECT_EQ(PropertyList::readDictionary(path)->string("name"), "iPhone 15");

    std::string padded = text;
    padded.append(PropertyList::maxBytes - static_cast<std::int64_t>(text.size()), ' ');
    EXPECT_TRUE(PropertyList::readDictionary(tree.text("full.plist", padded)));
    EXPECT_FALSE(PropertyList::readDictionary(tree.text("over.plist", padded + " ")));

    EXPECT_FALSE(PropertyList::readDictionary(tree.path("missing.plist")));
    EXPECT_FALSE(PropertyList::readDictionary(tree.folder("folder.plist")));
    EXPECT_FALSE(PropertyList::readDictionary(tree.symlink("link.plist", path)));
    const auto fifo = tree.path("fifo.plist");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(PropertyList::readDictionary(fifo));  // returns at once, never waits for a writer
}

}  // namespace
}  // namespace korvane
