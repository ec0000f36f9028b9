#include "core/text/PercentEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace korvane {
namespace {

bool keepsLetters(unsigned char c) { return (c >= 'a' && c <= 'z') || c == '/'; }
bool keepsNothing(unsigned char) { return false; }

TEST(PercentEncodingTest, EscapesWhatTheCallerDoesNotKeepAndEveryByteRoundTrips) {
    EXPECT_EQ(PercentEncoding::encode("/a b/\xC3\xA9%", keepsLetters), "/a%20b/%C3%A9%25");
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
    const auto encoded = PercentEncoding::encode(everyByte, keepsNothing);
    EXPECT_EQ(encoded.size(), 3 * everyByte.size());
    EXPECT_EQ(PercentEncoding::decode(encoded), everyByte);
    EXPECT_EQ(PercentEncoding::decode(PercentEncoding::encode(everyByte, keepsLetters)), everyByte);
}

TEST(PercentEncodingTest, DecodingRefusesBadEscapesAndNulBytes) {
    EXPECT_EQ(PercentEncoding::decode("/x%2fy%2Fz"), "/x/y/z");
    EXPECT_EQ(PercentEncoding::decode(""), "");
    EXPECT_EQ(PercentEncoding::decode("%"), std::nullopt);
    EXPECT_EQ(PercentEncoding::decode("ab%4"), std::nullopt);
    EXPECT_EQ(PercentEncoding::decode("%G1"), std::nullopt);
    EXPECT_EQ(PercentEncoding::decode("%1g"), std::nullopt);
    EXPECT_EQ(PercentEncoding::decode("a%00b"), std::nullopt);
    EXPECT_EQ(PercentEncoding::decode(std::string("a\0b", 3)), std::nullopt);
}

}  // namespace
}  // namespace korvane
