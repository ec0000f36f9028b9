#include "core/system/OpenFileLimit.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(OpenFileLimitTest, SoftLimitIsRaisedToTheHardLimit) {
    struct rlimit limit {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max > 256) {
        struct rlimit lowered = limit;
        lowered.rlim_cur = 256;
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    }
    EXPECT_TRUE(raiseOpenFileLimit());
    struct rlimit raised {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &raised), 0);
    EXPECT_EQ(raised.rlim_cur, limit.rlim_max);
    EXPECT_TRUE(raiseOpenFileLimit());
}

}  // namespace
}  // namespace korvane
