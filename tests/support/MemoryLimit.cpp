// Every test process runs under a memory limit, so that a fault which makes a search grow
// fails its test instead of taking the machine's memory from everything else on it.
#include <sys/resource.h>

#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer reserves terabytes of address space for its shadow: it watches the
// resident size itself instead. Options given in ASAN_OPTIONS come after these.
extern "C" const char* __asan_default_options()
{
    return "hard_rss_limit_mb=6144";
}
#else
namespace {
constexpr rlim_t addressSpaceLimit = rlim_t{6} << 30;

// Set before main, as the test binary loads: a limit already lower is kept.
[[maybe_unused]] const bool memoryLimited = [] {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0) {
        return false;
    }
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < addressSpaceLimit) {
        return true;
    }
    limit.rlim_cur = addressSpaceLimit;
    limit.rlim_max = addressSpaceLimit;
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
        std::perror("setrlimit");
        return false;
    }
    return true;
}();
}  // namespace
#endif
