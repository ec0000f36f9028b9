#include "core/text/AsciiText.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(AsciiTextTest, LowercasesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiText::lowercased("Metro-Cache_Z@[`"), "metro-cache_z@[`");
    // Other bytes stay as they are, whatever the locale: É, a stray byte, NUL.
    EXPECT_EQ(AsciiText::lowercased(std::string_view("\xC3\x89T\xFF\0A", 6)),
              std::string("\xC3\x89t\xFF\0a", 6));
}

TEST(AsciiTextTest, TrimsAsciiWhiteSpaceAtBothEnds) {
    EXPECT_EQ(AsciiText::trimmed(" \t\r\n\v\fv20.11.0\n\n"), "v20.11.0");
    EXPECT_EQ(AsciiText::trimmed("a b\tc"), "a b\tc");
    EXPECT_EQ(AsciiText::trimmed(" \n\t "), "");
    EXPECT_EQ(AsciiText::trimmed("\xC2\xA0x\xC2\xA0"), "\xC2\xA0x\xC2\xA0");  // no-break space is not ASCII
}

}  // namespace
}  // namespace korvane
