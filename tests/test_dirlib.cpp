// The directory library through its own calling convention: blank-padded fields, ierror,
// and the exact one-line reports on standard output.
#include "dirlib.hpp"
#include "dirscan.hpp"
#include "file_search.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <vector>

namespace fs = std::filesystem;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

std::string pad(const std::string& s, std::size_t width) {
    return s + std::string(width > s.size() ? width - s.size() : 0, ' ');
}

void touch(const fs::path& p, const std::string& text = "x") {
    std::ofstream(p) << text;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct scan_item {
    std::string name;
    int itype;
};

// Every test works in a directory of its own and leaves the scan slot closed.
class DirlibTest : public testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        static int serial = 0;
        dir = fs::temp_directory_path() /
              ("zk_dirlib_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string at(const std::string& name) const { return (dir / name).string(); }

    // Scans pattern and reads the list to its silent end; the slot is closed afterwards.
    std::vector<scan_item> scan(const std::string& pattern, int buflen = 512) {
        std::vector<scan_item> items;
        int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
        std::string dirbuf(pattern.size(), '#');
        opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(),
               0);
        EXPECT_EQ(ierror, 0) << pattern;
        if (ierror != 0) return items;
        std::string name(static_cast<std::size_t>(buflen), '#');
        for (;;) {
            rddir(ierror, 0, buflen, itype, namelen, name.data());
            if (ierror != 0) break;
            items.push_back({name.substr(0, static_cast<std::size_t>(namelen)), itype});
        }
        EXPECT_EQ(itype, -1);
        clsdir(ierror, 0);
        EXPECT_EQ(ierror, 0);
        return items;
    }
};

} // namespace

TEST(DirlibHandles, EveryRoutineRefusesAHandleOtherThanZero) {
    for (int handle : {1, -1}) {
        int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
        char dirbuf[8], name[8];
        std::string h = std::to_string(handle);
        CaptureStdout();
        opndir(ierror, handle, 3, "*.f", dirlen, dirbuf, 0);
        EXPECT_EQ(GetCapturedStdout(),
                  "\nError at opndir : Directry handle is invalid. Handle is " + h + ".\n");
        EXPECT_EQ(ierror, -1);
        CaptureStdout();
        rddir(ierror, handle, 8, itype, namelen, name);
        EXPECT_EQ(GetCapturedStdout(),
                  "\nError at rddir : Directry handle is invalid. Handle is " + h + ".\n");
        EXPECT_EQ(ierror, -1);
        EXPECT_EQ(itype, 999);
        CaptureStdout();
        clsdir(ierror, handle);
        EXPECT_EQ(GetCapturedStdout(),
                  "\nError at clsdir : Directry handle is invalid. Handle is " + h + ".\n");
        EXPECT_EQ(ierror, -1);
    }
}

TEST(DirlibHandles, ReadingOrClosingAClosedSlotIsReported) {
    int ierror = 0, itype = 0, namelen = 0;
    char name[8];
    CaptureStdout();
    rddir(ierror, 0, 8, itype, namelen, name);
    clsdir(ierror, 0);
    EXPECT_EQ(GetCapturedStdout(),
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
    CaptureStdout();
    rddir(ierror, 0, 16, itype, namelen, name);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(ierror, -1);
    EXPECT_EQ(itype, -1);
    for (int again = 0; again < 2; ++again) {
        CaptureStdout();
        rddir(ierror, 0, 16, itype, namelen, name);
        EXPECT_EQ(GetCapturedStdout(), "\nError at rddir : No more files. Directry handle must be "
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
    CaptureStdout();
    opndir(ierror, 0, static_cast<int>(second.size()), second.data(), dirlen, dirbuf.data(), 0);
    EXPECT_EQ(GetCapturedStdout(),
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

TEST_F(DirlibTest, PatternMatchingNothingFailsWithTheFullPattern) {
    touch(dir / "a.f");
    for (const std::string& pattern : {at("*.zz"), at("missing") + "\\*.f"}) {
        int ierror = 0, dirlen = 0, itype = 0, namelen = 0;
        std::string dirbuf(pattern.size(), ' ');
        CaptureStdout();
        opndir(ierror, 0, static_cast<int>(pattern.size()), pattern.data(), dirlen, dirbuf.data(),
               0);
        EXPECT_EQ(GetCapturedStdout(),
                  "\nError at opndir : Failed to call FindFirstFile. Handle is 0 : (" + pattern +
                      ").\n");
        EXPECT_EQ(ierror, -1);
        // The slot stayed closed.
        char name[4];
        CaptureStdout();
        rddir(ierror, 0, 4, itype, namelen, name);
        EXPECT_NE(GetCapturedStdout().find("not opened"), std::string::npos);
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
    std::string pattern = std::string("\"") + at("it's") + "\"/'*.f'";
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
        std::string d, pattern;
        split_pattern(c.path.c_str(), d, pattern);
        EXPECT_EQ(d, c.dir) << c.path;
        EXPECT_EQ(pattern, c.pattern) << c.path;
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

TEST_F(DirlibTest, IsadirTypesAPathAndReportsOnlyABlankName) {
    fs::create_directory(dir / "sub");
    touch(dir / "sub" / "f.f");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(at("pipe.f").c_str(), 0600), 0);
#endif
    std::string long_name = at("") + std::string(200 - at("").size(), 'n');
    touch(long_name);
    struct {
        std::string field;
        int ierror, itype;
        std::string out;
    } cases[] = {
        {at("sub/f.f"), 0, 0, ""},
        {at("sub") + "\\f.f   ", 0, 0, ""},
        {at("sub"), 0, 1, ""},
        {at("none.f"), -1, -1, ""},
#ifndef _WIN32
        {at("pipe.f"), 0, 999, ""},
#endif
        {long_name, 0, 0, ""},
        {std::string(20, ' '), -1, -1, "\nError at isadir : A filename is not specified.\n"},
        {"", -1, -1, "\nError at isadir : A filename is not specified.\n"},
    };
    for (const auto& c : cases) {
        int ierror = 7, itype = 7;
        CaptureStdout();
        isadir(ierror, static_cast<int>(c.field.size()), c.field.data(), itype);
        EXPECT_EQ(GetCapturedStdout(), c.out) << c.field;
        EXPECT_EQ(ierror, c.ierror) << c.field;
        EXPECT_EQ(itype, c.itype) << c.field;
        // The open that asks the open file gives the same type, and opens only a file (the
        // FIFO without waiting for a writer). It takes a path as it is: no blank fields.
        if (c.field.empty() || c.field.back() == ' ') continue;
        std::FILE* f = fopen_regular(c.field.c_str(), itype);
        EXPECT_EQ(itype, c.itype) << c.field;
        EXPECT_EQ(f != nullptr, c.itype == 0) << c.field;
        if (f != nullptr) std::fclose(f);
    }
}

#ifndef _WIN32 // there every pattern goes to the system's search
// The listing that serves many patterns of one directory lists what the scan lists.
TEST_F(DirlibTest, DirectoryListingMatchedAgainstPatternsGivesTheScansNames) {
    for (const char* name : {"B.f", "a.f", "A.f", "x.F90", ".h.f", "c.c", "ab.for"})
        touch(dir / name);
    fs::create_directory(dir / "d.f");
    std::vector<std::string> names;
    ASSERT_TRUE(list_directory((at("") + "/").c_str(), names));
    for (const char* pattern : {"*.f", "*.F*", "?.?", "*", "a*", "*.zz"}) {
        std::vector<std::string> matched;
        for (const std::string& n : names)
            if (pattern_matches(pattern, n.c_str())) matched.push_back(n);
        std::vector<std::string> scanned;
        const std::string path = at("") + "/" + pattern;
        if (!matched.empty())
            for (const scan_item& i : scan(path))
                scanned.push_back(i.name);
        EXPECT_EQ(matched, scanned) << pattern;
    }
    EXPECT_FALSE(list_directory(at("none/").c_str(), names));
    EXPECT_TRUE(names.empty());
}
#endif

TEST_F(DirlibTest, IsstatGivesSizePermissionsAndTwentyCharacterLocalTimes) {
    std::string file = at("t.f");
    touch(file, "12345");
    chmod(file.c_str(), 0640);
    std::tm when{};
    when.tm_year = 2021 - 1900;
    when.tm_mon = 1;
    when.tm_mday = 1;
    when.tm_hour = 9;
    when.tm_min = 5;
    when.tm_sec = 7;
    when.tm_isdst = -1;
    utimbuf times{std::mktime(&when), std::mktime(&when)};
    ASSERT_EQ(utime(file.c_str(), &times), 0);

    int ierror = 7, itype = 7, size = 0, r = 0, w = 0, x = 1;
    char atime[22], ctime[22], mtime[22];
    std::memset(mtime, '#', sizeof mtime);
    isstat(ierror, static_cast<int>(file.size()), file.data(), itype, size, r, w, x, atime, ctime,
           mtime);
    EXPECT_EQ(ierror, 0);
    EXPECT_EQ(itype, 0);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(r + 2 * w + 4 * x, 3);
    EXPECT_EQ(std::string(mtime, 22), "2021-02-01  09-05-07##");
    EXPECT_EQ(std::string(atime, 20), "2021-02-01  09-05-07");

    std::string missing = at("gone");
    CaptureStdout();
    isstat(ierror, static_cast<int>(missing.size()), missing.data(), itype, size, r, w, x, atime,
           ctime, mtime);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(ierror, -1);
    EXPECT_EQ(itype, -1);
    CaptureStdout();
    isstat(ierror, 3, "   ", itype, size, r, w, x, atime, ctime, mtime);
    EXPECT_EQ(GetCapturedStdout(), "\nError at isstat : A filename is not specified.\n");
    EXPECT_EQ(itype, -1);
}

TEST_F(DirlibTest, OneNameOperationsReportTheirFailuresWithTheNameAsGiven) {
    using op = void (*)(int&, const int&, const char*);
    std::string d = at("d");
    std::string f = at("f.txt");
    std::string d_bs = at("") + "\\d\\"; // backslashes reach the system as separators
    touch(f);
    struct {
        op routine;
        std::string name;
        int ierror;
        std::string out;
    } steps[] = {
        {makdir, d, 0, ""},
        {makdir, d_bs, -1, "\nError at makdir : Failed to make a directry(" + d_bs + ").\n"},
        {makdir, "  ", -1, "\nError at makdir : A Directry name is not specified.\n"},
        {rmvfil, d, -1, "\nError at rmvfil : Failed to remove a file(" + d + ").\n"},
        {rmvdir, f, -1, "\nError at rmvdir : Failed to remove a directry(" + f + ").\n"},
        {rmvdir, d_bs, 0, ""},
        {rmvdir, d, -1, "\nError at rmvdir : Failed to remove a directry(" + d + ").\n"},
        {rmvdir, "", -1, "\nError at rmvdir : A filename is not specified.\n"},
        {chgdir, d, -1, "\nError at chgdir : Failed to change a directry(" + d + ").\n"},
        {chgdir, " ", -1, "\nError at chgdir : A filename is not specified.\n"},
        {rmvfil, f + "  ", 0, ""},
        {rmvfil, f, -1, "\nError at rmvfil : Failed to remove a file(" + f + ").\n"},
        {rmvfil, "", -1, "\nError at rmvfil : A filename is not specified.\n"},
    };
    for (const auto& s : steps) {
        int ierror = 7;
        CaptureStdout();
        s.routine(ierror, static_cast<int>(s.name.size()), s.name.data());
        EXPECT_EQ(GetCapturedStdout(), s.out) << s.name;
        EXPECT_EQ(ierror, s.ierror) << s.name;
    }
    EXPECT_FALSE(fs::exists(f));
}

TEST_F(DirlibTest, ChgdirAndGetdirAgreeAndAShortBufferStaysBlank) {
    fs::path saved = fs::current_path();
    std::string target = fs::canonical(dir).string();
    int ierror = 7, dirlen = -3;
    chgdir(ierror, static_cast<int>(target.size()), target.data());
    EXPECT_EQ(ierror, 0);
    std::string buf(target.size() + 4, '#');
    getdir(ierror, static_cast<int>(buf.size()), buf.data(), dirlen);
    EXPECT_EQ(ierror, 0);
    EXPECT_EQ(buf, pad(target, buf.size()));
    EXPECT_EQ(dirlen, static_cast<int>(target.size()));

    std::string shorter(target.size() - 1, '#');
    CaptureStdout();
    getdir(ierror, static_cast<int>(shorter.size()), shorter.data(), dirlen);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(ierror, -1);
    EXPECT_EQ(shorter, std::string(shorter.size(), ' '));
    fs::current_path(saved);
}

TEST_F(DirlibTest, RenamfCases) {
    fs::create_directory(dir / "sub");
    struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> before; // files and contents
        std::string oldname, newname;
        int replace, ierror;
        std::string out; // "%o" and "%n" stand for the two names
        std::vector<std::pair<std::string, std::string>> after; // "" content: absent
    } cases[] = {
        // clang-format off
        {"plain rename", {{"a", "A"}}, "a", "b", 0, 0, "", {{"a", ""}, {"b", "A"}}},
        {"equal names", {{"a", "A"}}, "a", "a", 1, 0, "", {{"a", "A"}}},
        {"onto existing, keep", {{"a", "A"}, {"b", "B"}}, "a", "b", 0, -1,
         "\nError at renamf : A file which has a new filename(%n) exits already.\n",
         {{"a", "A"}, {"b", "B"}}},
        {"onto existing, replace", {{"a", "A"}, {"b", "B"}}, "a", "b", 1, 0, "",
         {{"a", ""}, {"b", "A"}}},
        {"missing old", {{"b", "B"}}, "a", "b", 1, -1,
         "\nError at renamf : A file which has a old filename(%o) dose not exits.\n",
         {{"b", "B"}}},
        {"same file by two texts", {{"sub/a", "A"}}, "sub/a", "sub\\a", 1, 0, "", {{"sub/a", "A"}}},
        {"failing rename keeps the target", {{"b", "B"}}, "sub", "b", 1, -1,
         "\nError at renamf : Failed to make link: Old name(%o):New name(%n).\n", {{"b", "B"}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        for (const auto& [name, text] : c.before)
            touch(dir / name, text);
        std::string o = at(c.oldname) + "  ";
        std::string n = at(c.newname);
        std::string out = c.out;
        if (auto p = out.find("%o"); p != std::string::npos) out.replace(p, 2, at(c.oldname));
        if (auto p = out.find("%n"); p != std::string::npos) out.replace(p, 2, n);
        int ierror = 7;
        CaptureStdout();
        renamf(ierror, static_cast<int>(o.size()), o.data(), static_cast<int>(n.size()), n.data(),
               c.replace);
        EXPECT_EQ(GetCapturedStdout(), out) << c.what;
        EXPECT_EQ(ierror, c.ierror) << c.what;
        for (const auto& [name, text] : c.after) {
            if (text.empty())
                EXPECT_FALSE(fs::exists(dir / name)) << c.what << ": " << name;
            else
                EXPECT_EQ(slurp(dir / name), text) << c.what << ": " << name;
            fs::remove(dir / name);
        }
    }
}

TEST_F(DirlibTest, RenamfReportsBlankNames) {
    int ierror = 7;
    CaptureStdout();
    renamf(ierror, 0, "", 3, "new", 0);
    renamf(ierror, 3, "old", 4, "    ", 0);
    EXPECT_EQ(GetCapturedStdout(), "\nError at renamf : A old filename is not specified.\n"
                                   "\nError at renamf : A new filename is not specified.\n");
    EXPECT_EQ(ierror, -1);
}

TEST_F(DirlibTest, FopenNativeTakesBackslashesAsSeparators) {
    fs::create_directory(dir / "inc");
    touch(dir / "inc" / "c.h", "text");
    std::FILE* f = fopen_native((at("inc") + "\\c.h").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(std::fread(buf, 1, 4, f), 4u);
    std::fclose(f);
    EXPECT_STREQ(buf, "text");
}
