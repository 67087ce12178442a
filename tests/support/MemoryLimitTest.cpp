// Every test binary caps its own memory as it loads (MemoryLimit.cpp), so that a search that
// grows without end fails its test instead of taking the machine's memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options();

TEST(TestLimits, TheSanitizerStopsATestThatGrowsTooLarge)
{
    EXPECT_NE(std::string(__asan_default_options()).find("hard_rss_limit_mb="), std::string::npos);
}
#else
TEST(TestLimits, TheTestBinaryRunsUnderAnAddressSpaceLimit)
{
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &limit), 0);
    EXPECT_NE(limit.rlim_cur, RLIM_INFINITY);
    EXPECT_LE(limit.rlim_cur, rlim_t{6} << 30);
}
#endif
