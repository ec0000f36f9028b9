#include "core/text/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

TEST(Utf8Test, AcceptsEveryLengthAtTheEdgesOfItsRange) {
    EXPECT_TRUE(Utf8::isValid(""));
    EXPECT_TRUE(Utf8::isValid(std::string("a\0b", 3)));
    EXPECT_TRUE(Utf8::isValid("\xC2\x80\xDF\xBF"));                      // U+0080, U+07FF
    EXPECT_TRUE(Utf8::isValid("\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80"));  // U+0800, U+D7FF, U+E000
    EXPECT_TRUE(Utf8::isValid("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"));      // U+10000, U+10FFFF
}

TEST(Utf8Test, RefusesWhatIsNotStrictUtf8) {
    EXPECT_FALSE(Utf8::isValid("\xFF"));
    EXPECT_FALSE(Utf8::isValid("\x80"));              // a continuation byte alone
    EXPECT_FALSE(Utf8::isValid("\xC0\x80"));          // overlong NUL
    EXPECT_FALSE(Utf8::isValid("\xC1\xBF"));          // overlong ASCII
    EXPECT_FALSE(Utf8::isValid("\xE0\x9F\xBF"));      // overlong three-byte form
    EXPECT_FALSE(Utf8::isValid("\xF0\x8F\xBF\xBF"));  // overlong four-byte form
    EXPECT_FALSE(Utf8::isValid("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(Utf8::isValid("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(Utf8::isValid("\xF5\x80\x80\x80"));
    EXPECT_FALSE(Utf8::isValid("ab\xC3"));     // cut short at the end
    EXPECT_FALSE(Utf8::isValid("\xE2\x82x"));  // cut short by a plain byte
}

}  // namespace
}  // namespace korvane
