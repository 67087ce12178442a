// Every test binary caps its own memory as it loads (MemoryLimit.cpp), so that a search that
// grows without end fails its test instead of taking the machine's memory. (The sanitizer build
// watches the resident size instead, as MemoryLimit.cpp tells it.)
#include <gtest/gtest.h>
#include <sys/resource.h>

#if !defined(__SANITIZE_ADDRESS__)
TEST(TestLimits, TheTestBinaryRunsUnderAnAddressSpaceLimit)
{
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &limit), 0);
    EXPECT_NE(limit.rlim_cur, RLIM_INFINITY);
    EXPECT_LE(limit.rlim_cur, rlim_t{6} << 30);
}
#endif
