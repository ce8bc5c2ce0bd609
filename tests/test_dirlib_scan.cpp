// The directory scan through the library's own calling convention (opndir, rddir, clsdir), and
// the expansion the tool's scan takes (expand_pattern): sorted lists, handles, patterns and
// quotes, and the exact one-line reports.
#include "dir_listing.hpp"
#include "dirlib_test.hpp"
#include "dirscan.hpp"
#include "file_search.hpp"

#include <cstring>

TEST(DirlibHandles, EveryRoutineRefusesAHandleOtherThanZero) {
    for (int handle : {1, -1}) {
        int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
        char dirbuf[8], name[8];
        std::string h = std::to_string(handle);
        capture_reports();
        opndir(ierror, handle, 3, "*.f", dirlen, dirbuf, 0);
        EXPECT_EQ(captured_reports(),
                  "\nError at opndir : Directry handle is invalid. Handle is " + h + ".\n");
        EXPECT_EQ(ierror, -1);
        capture_reports();
        rddir(ierror, handle, 8, itype, namelen, name);
        EXPECT_EQ(captured_reports(),
                  "\nError at rddir : Directry handle is invalid. Handle is " + h + ".\n");
        EXPECT_EQ(ierror, -1);
        EXPECT_EQ(itype, 999);
        capture_reports();
        clsdir(ierror, handle);
        EXPECT_EQ(captured_reports(),
                  "\nError at clsdir : Directry handle is invalid. Handle is " + h + ".\n");
        EXPECT_EQ(ierror, -1);
    }
}

TEST(DirlibHandles, ReadingOrClosingAClosedSlotIsReported) {
    int ierror = 0, itype = 0, namelen = 0;
    char name[8];
    capture_reports();
    rddir(ierror, 0, 8, itype, namelen, name);
    clsdir(ierror, 0);
    EXPECT_EQ(captured_reports(),
              "\nError at rddir : Directry handle is not opened. Handle is 0\n"
              "\nError at clsdir : Directry handle is not opened. Handle is 0\n");
    EXPECT_EQ(ierror, -1);
    EXPECT_EQ(itype, 999);
}

TEST_F(DirlibTest, ListIsSortedIgnoringCaseThenByBytesAndEndsSilentlyOnce) {
    fs::create_directory(dir / "sub");
#ifdef _WIN32 // names equal but for letter case are one file there
    const char* const created[] = {"B.f", "a.f", "C.f", "_x.f", "b.txt", "a.F90"};
    const char* const listed[] = {"_x.f", "a.f", "B.f", "C.f"};
#else
    const char* const created[] = {"B.f", "a.f", "C.f", "_x.f", "A.f", "b.txt", "a.F90"};
    const char* const listed[] = {"_x.f", "A.f", "a.f", "B.f", "C.f"};
#endif
    for (const char* n : created)
        touch(dir / "sub" / n);
    // A backslash separates directories here too, and the directory part keeps it.
    std::string pattern = at("sub") + "\\*.f  ";
    int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
    std::string dirbuf(pattern.size(), '#');
    opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(), 0);
    ASSERT_EQ(ierror, 0);
    EXPECT_EQ(dirbuf, pad(at("sub") + "\\", pattern.size()));
    EXPECT_EQ(dirlen, static_cast<int>(at("sub").size() + 1));

    char name[16];
    for (const char* expect : listed) {
        rddir(ierror, 0, 16, itype, namelen, name);
        EXPECT_EQ(std::string(name, 16), pad(expect, 16));
        EXPECT_EQ(ierror, 0);
        EXPECT_EQ(itype, 0);
    }
    capture_reports();
    rddir(ierror, 0, 16, itype, namelen, name);
    EXPECT_EQ(captured_reports(), "");
    EXPECT_EQ(ierror, -1);
    EXPECT_EQ(itype, -1);
    for (int again = 0; again < 2; ++again) {
        capture_reports();
        rddir(ierror, 0, 16, itype, namelen, name);
        EXPECT_EQ(captured_reports(), "\nError at rddir : No more files. Directry handle must be "
                                      "closed. Handle is 0\n");
        EXPECT_EQ(ierror, -1);
        EXPECT_EQ(itype, -1);
    }
    clsdir(ierror, 0);
    EXPECT_EQ(ierror, 0);
}

#ifndef _WIN32 // names equal but for letter case are one file on Windows
TEST_F(DirlibTest, NamesEqualIgnoringCaseComeInByteOrderWhateverTheDirectoryOrder) {
    const std::vector<std::string> created[] = {{"ab.f", "AB.f", "aB.f", "Ab.f"},
                                                {"Ab.f", "aB.f", "AB.f", "ab.f"}};
    for (std::size_t i = 0; i < 2; ++i) {
        fs::path sub = dir / std::to_string(i);
        fs::create_directory(sub);
        for (const auto& n : created[i])
            touch(sub / n);
        std::vector<std::string> got;
        for (const auto& item : scan(sub.string() + "/*"))
            got.push_back(item.name);
        EXPECT_EQ(got, (std::vector<std::string>{".", "..", "AB.f", "Ab.f", "aB.f", "ab.f"}));
    }
}
#endif

TEST_F(DirlibTest, OpeningTwiceLeavesTheFirstListIntact) {
    touch(dir / "one.f");
    std::string first = at("*.f");
    std::string second = at("*");
    int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
    std::string dirbuf(first.size(), ' ');
    opndir(ierror, 0, static_cast<int>(first.size()), first.data(), dirlen, dirbuf.data(), 0);
    ASSERT_EQ(ierror, 0);
    capture_reports();
    opndir(ierror, 0, static_cast<int>(second.size()), second.data(), dirlen, dirbuf.data(), 0);
    EXPECT_EQ(captured_reports(),
              "\nError at opndir : Directry handle is already opened. Handle is 0\n");
    EXPECT_EQ(ierror, -1);
    char name[8];
    rddir(ierror, 0, 8, itype, namelen, name);
    EXPECT_EQ(std::string(name, 8), "one.f   ");
    rddir(ierror, 0, 8, itype, namelen, name);
    EXPECT_EQ(itype, -1);
    clsdir(ierror, 0);
}

TEST_F(DirlibTest, PatternsListDirectoriesDotNamesAndTheDirectoriesOwnEntries) {
    fs::create_directory(dir / "inc");
    touch(dir / "x.f");
    touch(dir / ".hidden.f");
#ifndef _WIN32
    fs::create_symlink("nowhere", dir / "dangling"); // neither file nor directory
#endif
    struct {
        std::string pattern;
        std::vector<std::pair<std::string, int>> expect;
    } cases[] = {
        {at(""),
         {{".", 1},
          {"..", 1},
          {".hidden.f", 0},
#ifndef _WIN32
          {"dangling", 999},
#endif
          {"inc", 1},
          {"x.f", 0}}},
        {at("I?C"), {{"inc", 1}}},
        {at("*.F"), {{".hidden.f", 0}, {"x.f", 0}}},
        {at(".*"), {{".", 1}, {"..", 1}, {".hidden.f", 0}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::string, int>> got;
        for (const auto& item : scan(c.pattern))
            got.emplace_back(item.name, item.itype);
        EXPECT_EQ(got, c.expect) << c.pattern;
    }
}

// The expansion for the scan fails as the scan would, with the same report, also for a
// pattern served from the listing kept for an earlier one.
TEST_F(DirlibTest, PatternMatchingNothingFailsWithTheFullPattern) {
    touch(dir / "a.f");
    dir_listings kept;
    struct {
        std::string pattern, full;
    } cases[] = {
        {at("*.zz"), at("*.zz")},
        {at("missing") + "\\*.f", at("missing") + "\\*.f"},
        {at("a.f") + "\\*.f", at("a.f") + "\\*.f"}, // a file where a directory should be
        {at("missing") + "\\  ", at("missing") + "\\*"},
        {at("b?"), at("b?")},
    };
    for (const auto& [pattern, full] : cases) {
        const std::string report =
            "\nError at opndir : Failed to call FindFirstFile. Handle is 0 : (" + full + ").\n";
        int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
        std::string dirbuf(pattern.size(), ' ');
        capture_reports();
        opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(),
               0);
        EXPECT_EQ(captured_reports(), report);
        EXPECT_EQ(ierror, -1);
        // The slot stayed closed.
        char name[4];
        capture_reports();
        rddir(ierror, 0, 4, itype, namelen, name);
        EXPECT_EQ(captured_reports(),
                  "\nError at rddir : Directry handle is not opened. Handle is 0\n");
        std::vector<const char*> names{"stale"};
        capture_reports();
        EXPECT_FALSE(expand_pattern(kept, pattern.c_str(), names)) << pattern;
        EXPECT_EQ(captured_reports(), report);
        EXPECT_TRUE(names.empty()) << pattern;
    }
}

TEST_F(DirlibTest, NameLongerThanTheBufferIsCutAndItsFullLengthReported) {
    std::string longname(40, 'q');
    touch(dir / longname);
    std::string pattern = at("q*");
    int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
    std::string dirbuf(pattern.size(), ' ');
    opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(), 0);
    ASSERT_EQ(ierror, 0);
    char buf[14];
    std::memset(buf, '#', sizeof buf);
    rddir(ierror, 0, 10, itype, namelen, buf + 2);
    EXPECT_EQ(std::string(buf, sizeof buf), "##qqqqqqqqqq##");
    EXPECT_EQ(namelen, 40);
    EXPECT_EQ(ierror, 0);
    clsdir(ierror, 0);
}

TEST_F(DirlibTest, QuoteFlagUsesTheTextWithoutItsQuotes) {
    fs::create_directory(dir / "it's");
    touch(dir / "it's" / "m.f");
    std::string pattern = "\"";
    pattern += at("it's") + "\"/'*.f'";
    int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
    std::string dirbuf(pattern.size(), '#');
    opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(), 1);
    ASSERT_EQ(ierror, 0);
    EXPECT_EQ(dirbuf, pad(at("it's") + "/", pattern.size()));
    char name[4];
    rddir(ierror, 0, 4, itype, namelen, name);
    EXPECT_EQ(std::string(name, 4), "m.f ");
    clsdir(ierror, 0);
}

TEST(DirlibStripQuotes, QuotationsAreDroppedAndDoubledQuotesKept) {
    struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain", "plain"}, {"\"a b\"/x", "a b/x"},         {"'it''s'", "it's"},
        {"\"a'b\"", "a'b"}, {"'say \"hi\"'", "say \"hi\""}, {"\"open", "open"},
        {"\"\"", ""},       {"a\"\"\"b\"", "a\"b"},
    };
    for (const auto& c : cases) {
        char out[32];
        int n = strip_quotes(out, c.in);
        EXPECT_STREQ(out, c.out) << c.in;
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.out)));
    }
}

TEST(DirlibSetPath, PatternSplitsAtTheLastSeparatorOrColon) {
    struct {
        std::string path;
        std::string dir, pattern;
    } cases[] = {
        {"sub\\*.f", "sub\\", "*.f"},
        {"*.f", "", "*.f"},
        {"c:*.f", "c:", "*.f"},
        {"inc/", "inc/", "*"},
        {"a/b\\c.f  ", "a/b\\", "c.f"},
        {"    ", "", "*"},
        {"", "", "*"},
        {"d:\\x/", "d:\\x/", "*"},
    };
    for (const auto& c : cases) {
        int dirlen = -5;
        std::string dirbuf(c.path.size(), '#');
        pattern_texts t;
        ASSERT_EQ(
            Set_PATH(static_cast<int>(c.path.size()), c.path.data(), dirlen, dirbuf.data(), 0, t),
            1);
        EXPECT_EQ(dirlen, static_cast<int>(c.dir.size())) << c.path;
        EXPECT_EQ(dirbuf, pad(c.dir, c.path.size())) << c.path;
        EXPECT_STREQ(t.pattern.get(), c.pattern.c_str()) << c.path;
        EXPECT_EQ(std::string(t.full.get()), c.dir + c.pattern) << c.path;
    }
}

// The expansion for the scan lists what the directory scan lists, one listing of the directory
// serving every pattern.
TEST_F(DirlibTest, ExpandedPatternsGiveTheScansNames) {
    for (const char* name : {"B.f", "a.f", "A.f", "x.F90", ".h.f", "c.c", "ab.for"})
        touch(dir / name);
    fs::create_directory(dir / "d.f");
    dir_listings kept;
    for (const char* pattern : {"*.f", "*.F*", "?.?", "*", "a*", "  "}) {
        std::vector<const char*> names;
        EXPECT_TRUE(expand_pattern(kept, at(pattern).c_str(), names)) << pattern;
        std::vector<std::string> scanned;
        for (const scan_item& i : scan(at(pattern)))
            scanned.push_back(i.name);
        EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()), scanned) << pattern;
    }
}

#ifndef _WIN32 // the POSIX layer's own matching; on Windows the system search decides
TEST(DirlibSearch, WildcardsMatchLikeTheWindowsSearch) {
    struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.f", "MAIN.F", true},    {"?.f", "ab.f", false},       {"a?", "a", false},
        {"*", "..", true},          {"a*b*c", "aXbYbc", true},    {"a*b", "aXbYc", false},
        {"*.*", "Makefile", false}, {"x_[1].f", "X_[1].F", true}, {"", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(search_match(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}
#endif

TEST_F(DirlibTest, PatternWithoutSeparatorSearchesTheCurrentDirectory) {
    touch(dir / "here.f");
    fs::path saved = fs::current_path();
    fs::current_path(dir);
    int ierror = 0, dirlen = 7, itype = 0, namelen = 0;
    char dirbuf[4];
    opndir(ierror, 0, 4, "h*.f", dirlen, dirbuf, 0);
    fs::current_path(saved);
    ASSERT_EQ(ierror, 0);
    EXPECT_EQ(dirlen, 0);
    char name[8];
    rddir(ierror, 0, 8, itype, namelen, name);
    EXPECT_EQ(std::string(name, 8), "here.f  ");
    clsdir(ierror, 0);
}
