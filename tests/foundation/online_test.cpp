#include <foundation/online.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

TEST(TestOnLine, ForcedByTheEnvironment)
{
    zuvtest::TempSuite suite;
    suite.setEnv("ZUV_ONLINE", "1");
    EXPECT_TRUE(zuv::TestOnLine());
    suite.setEnv("ZUV_ONLINE", "0");
    EXPECT_FALSE(zuv::TestOnLine());
    // Unforced it asks the machine; any answer will do, it must not fail.
    suite.setEnv("ZUV_ONLINE", "");
    (void)zuv::TestOnLine();
}
