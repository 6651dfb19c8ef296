// A result whose layout does not fit in memory is reported, and the
// transaction under way is kept.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "sql/DatabaseFixture.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Bytes of address space the process uses now.
long long AddressSpace() {
    long long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    return pages * sysconf(_SC_PAGESIZE);
}

TEST_F(ConnectedFixture, ResultThatRunsOutOfMemoryIsReportedAndKeepsTheTransaction) {
    if (kAddressSanitizer) GTEST_SKIP() << "the address sanitizer reserves the address space";
    Run({"create table w (a varchar2(4000), b varchar2(4000), c varchar2(4000), d varchar2(4000));",
         "insert into w values ('A', 'B', 'C', 'D');"});
    for (int i = 0; i < 15; ++i) Run({"insert into w select * from w;"});
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 32768 rows of 16 kB lines do not fit in 128 MB more.
        const rlim_t limit = static_cast<rlim_t>(AddressSpace() + (128LL << 20));
        const rlimit bound{limit, limit};
        if (setrlimit(RLIMIT_AS, &bound) != 0) _exit(2);
        const CScriptLines out = Run({"select * from w;"});
        if (out !=
            CScriptLines{Sj("ORA-04030: メモリーが不足しているため、問い合わせの結果を表示できません。")})
            _exit(3);
        const CScriptLines count = Run({"select count(*) from w;"});
        _exit(count.size() == 7 && count[3].rfind("32768", 0) == 0 ? 0 : 4);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
