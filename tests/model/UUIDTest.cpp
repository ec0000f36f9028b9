#include "core/model/UUID.h"

#include <set>
#include <unordered_set>

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(UUIDTest, TextIsUpperCaseHyphenated) {
    auto id = UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->text(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(UUID::parse(id->text()), id);
    EXPECT_EQ(UUID().text(), "00000000-0000-0000-0000-000000000000");
    EXPECT_TRUE(UUID().isNil());
}

TEST(UUIDTest, ParseRefusesAnythingElse) {
    for (const char* text : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5",
                             "E621E1F8-C36C-495A-93FC-0C247A3E6E5FF", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
                             "E621E1F8-C36C-495A-93FC_0C247A3E6E5F", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F",
                             "E621E1F8--36C-495A-93FC-0C247A3E6E5F"})
        EXPECT_FALSE(UUID::parse(text)) << text;
}

TEST(UUIDTest, RandomIdsAreVersion4AndDistinct) {
    std::unordered_set<UUID> seen;
    for (int i = 0; i < 1000; ++i) {
        auto id = UUID::random();
        auto text = id.text();
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
        EXPECT_TRUE(seen.insert(id).second);
    }
}

}  // namespace
}  // namespace korvane
