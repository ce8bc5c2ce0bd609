// Source enumeration: include-directory modes, wildcard arguments, the source table's size.
#include "scan_harness.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(Scan, IncludeDirectoryModes) {
    tree t;
    t.write("inc/h.inc", "      USE m\n");
    t.write("a.f", "      INCLUDE 'h.inc'\n");
    t.write("b.f", "      MODULE m\n");
    scan_setup r;
    r.include_dir(t.dir("inc"));
    r.source(t.dir(), "a.f");
    r.bare_include();
    r.source(t.dir(), "b.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.srctab[0].inctype, 1);
    EXPECT_EQ(r.srctab[0].incdir_no, 0);
    EXPECT_EQ(r.srctab[1].inctype, -1);
    EXPECT_EQ(r.srctab[1].incdir_no, 1);
    EXPECT_EQ(r.inctab[0].incdir_no, 0);
}

TEST(Scan, WildcardsExpandInSortedOrder) {
    tree t;
    t.write("sub/B.f", "      PROGRAM b\n");
    t.write("sub/a.f", "");
    t.write("sub/C.f", "");
    t.write("sub/x.c", "");
    scan_setup r;
    r.source(t.dir("sub"), "*.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    ASSERT_EQ(r.p.src, 3);
    EXPECT_STREQ(r.srctab[0].name, "a.f");
    EXPECT_STREQ(r.srctab[1].name, "B.f");
    EXPECT_STREQ(r.srctab[2].name, "C.f");
    EXPECT_EQ(r.srctab[2].no, 3);
}

// Patterns of one directory, which the run lists once: each expands as it would alone, and
// one that matches nothing there still ends the run with the directory scan's reports.
TEST(Scan, PatternsOfOneDirectoryExpandAsEachAlone) {
    tree t;
    for (const char* name : {"sub/B.f", "sub/a.f", "sub/x.c", "sub/y.F90"})
        t.write(name, "");
    scan_setup r;
    for (const char* pattern : {"*.f", "*.c", "*.F*", "*.zz"})
        r.source(t.dir("sub"), pattern);
    EXPECT_EQ(r.go(), -1);
    names rows;
    for (int i = 0; i < 6; ++i)
        rows.push_back(r.srctab[i].name);
    EXPECT_EQ(rows, (names{"a.f", "B.f", "x.c", "a.f", "B.f", "y.F90"}));
    const std::string path1 = t.dir("sub") + "\\*.zz";
    EXPECT_EQ(r.out, "\nError at opndir : Failed to call FindFirstFile. Handle is 0 : (" + path1 +
                         ").\n#ERROR#  build  opndir error path1[" + path1 + "]\n");
    EXPECT_EQ(r.err, "#ERROR#  opndir error no such file\n");
}

// More directories than the run keeps listings of: one named again after the others is
// listed again, with the same names.
TEST(Scan, DirectoryNamedAgainAfterManyOthersExpandsTheSame) {
    tree t;
    const std::vector<std::string> dirs{"ua", "ub", "uc", "ud", "ue", "uf"};
    for (const std::string& d : dirs) {
        t.write(d + "/b.f", "");
        t.write(d + "/a.c", "");
    }
    scan_setup r;
    names expected;
    for (const char* pattern : {"*.f", "*.c"})
        for (const std::string& d : dirs) {
            r.source(t.dir(d), pattern);
            expected.push_back(pattern[2] == 'f' ? "b.f" : "a.c");
        }
    ASSERT_EQ(r.go(), 0) << r.out;
    names rows;
    for (int i = 0; i < r.p.src; ++i)
        rows.push_back(r.srctab[i].name);
    EXPECT_EQ(rows, expected);
}

TEST(Scan, WildcardMatchingADirectoryOrNothing) {
    tree t;
    t.write("x.f/keep", "");
    {
        scan_setup r;
        r.source(t.dir(), "x.?");
        EXPECT_EQ(r.go(), -1);
        EXPECT_EQ(r.out, " #ERROR#  build_file  invalid filetype " + t.dir() + "\\x.f\n");
    }
    {
        scan_setup r;
        r.source(t.dir(), "*.zz");
        EXPECT_EQ(r.go(), -1);
        const std::string path1 = t.dir() + "\\*.zz";
        EXPECT_NE(r.out.find("#ERROR#  build  opndir error path1[" + path1 + "]\n"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(r.err, "#ERROR#  opndir error no such file\n");
    }
}

TEST(Scan, TooLongWildcardPattern) {
    scan_setup r;
    const std::string dir(500, 'd');
    r.source(dir, "*.f" + std::string(9, 'f'));
    EXPECT_EQ(r.go(), -1);
    EXPECT_NE(r.out.find("#ERROR#  build  srcdir[" + dir + "] srcfil[*.f" + std::string(9, 'f') +
                         "] too long \n"),
              std::string::npos);
    EXPECT_EQ(r.err, "#ERROR#  build  too long srource & file name\n");
}

TEST(Scan, SourceTableHoldsOneRowLessThanItsCapacity) {
    tree t;
    for (int i = 0; i < 1000; ++i)
        t.write(std::string("s") + std::to_string(1000 + i) + ".f", "");
    {
        scan_setup r;
        r.source(t.dir(), "s1*.f");
        EXPECT_EQ(r.go(), -1);
        EXPECT_EQ(r.out, "#ERROR#  build_file  source table overflow >=1000\n");
        EXPECT_EQ(r.err, "#ERROR#  source table overflow\n");
    }
    fs::remove(t.root / "s1999.f");
    scan_setup r;
    r.source(t.dir(), "s1*.f");
    EXPECT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.p.src, 999);
}

} // namespace
