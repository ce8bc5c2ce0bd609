// Include chains as deep as the include table, and as the open-file limit allows.
#include "scan_harness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

// The name of link i of a chain (appended piece by piece: GCC 12 misreads the inlined
// "c" + std::string at -O3 as an overlapping copy).
std::string chain_link(int i) {
    std::string name = "c";
    name += std::to_string(i);
    name += ".inc";
    return name;
}

// Writes a chain c0.inc -> c1.inc -> ... of n include files under the source a.f.
void write_chain(const tree& t, int n) {
    t.write("a.f", "      INCLUDE 'c0.inc'\n");
    for (int i = 0; i < n; ++i) {
        const std::string next = i + 1 < n ? "      INCLUDE '" + chain_link(i + 1) + "'\n" : "";
        t.write(chain_link(i), next + "      X = 1\n");
    }
}

TEST(Scan, IncludeChainAsDeepAsTheDefaultTable) {
    tree t;
    write_chain(t, 500);
    scan_setup r;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out.substr(0, 300);
    EXPECT_EQ(r.p.inc, 500);
    EXPECT_EQ(r.srctab[0].rinc_cnt, 500);
    EXPECT_EQ(r.srctab[0].incline_cnt, 999);
}

#ifndef _WIN32
// The kernel's ceiling for the hard open-file limit (Linux's fs.nr_open); 0 when unknown.
rlim_t open_file_ceiling() {
    std::ifstream in("/proc/sys/fs/nr_open");
    unsigned long long n = 0;
    return in >> n ? rlim_t(n) : 0;
}

// Keeps the open-file limit of the process as it was.
struct file_limit {
    rlimit saved{};
    std::string refusal; // why the last set failed
    file_limit() { getrlimit(RLIMIT_NOFILE, &saved); }
    ~file_limit() { setrlimit(RLIMIT_NOFILE, &saved); }
    // Sets the soft limit to n, raising the hard limit first when it is lower: to the
    // kernel's ceiling, which a privileged process (root in CI) may do.
    bool set(rlim_t n) {
        rlimit l = saved;
        l.rlim_cur = n;
        if (l.rlim_max != RLIM_INFINITY && l.rlim_max < n)
            l.rlim_max = std::max(n, open_file_ceiling());
        if (setrlimit(RLIMIT_NOFILE, &l) == 0) return true;
        refusal = "the open-file limit cannot be raised to " + std::to_string(n) + " (hard " +
                  std::to_string(l.rlim_max) + "): " + std::strerror(errno);
        return false;
    }
};

TEST(Scan, IncludeChainBeyondTheOpenFileLimitEndsInTheOpenError) {
    file_limit limit;
    tree t;
    write_chain(t, 200);
    ASSERT_TRUE(limit.set(64));
    scan_setup r;
    r.source(t.dir(), "a.f");
    EXPECT_EQ(r.go(), -1);
    EXPECT_NE(r.out.find(" #ERROR#  build_file  source file open error ["), std::string::npos);
    EXPECT_EQ(r.err, "#ERROR#  source file open error\n");
}

// A chain of n include files, with tables as large, is read to its end.
void expect_chain_read(int n) {
    tree t;
    write_chain(t, n);
    scan_setup r;
    r.cap.mxinc = n;
    r.cap.mxrinc = n;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out.substr(0, 300);
    EXPECT_EQ(r.p.inc, n);
    EXPECT_EQ(r.srctab[0].incline_cnt, 2 * n - 1);
}

TEST(Scan, IncludeChainAsDeepAsTheOpenFileLimitAllows) {
    file_limit limit;
    // Every level holds its file open: go as deep as the hard limit lets this process.
    const rlim_t hard = limit.saved.rlim_max;
    const int n = hard == RLIM_INFINITY || hard > 100064 ? 100000 : int(hard) - 64;
    ASSERT_GT(n, 1000);
    ASSERT_TRUE(limit.set(rlim_t(n) + 64));
    expect_chain_read(n);
}

TEST(Scan, IncludeChainOfOneHundredThousandLevels) {
    file_limit limit;
    const int n = 100000;
    // Every level holds its file open, and the test's own streams need a few more.
    if (!limit.set(rlim_t(n) + 64)) GTEST_SKIP() << limit.refusal;
    expect_chain_read(n);
}
#endif

} // namespace
