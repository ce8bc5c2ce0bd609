// The one-path queries and operations of the directory library (isadir, isstat, makdir,
// rmvdir, chgdir, rmvfil, getdir, renamf, fopen_regular) and their exact one-line reports.
#include "dir_listing.hpp"
#include "dirlib_test.hpp"

#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <utime.h>

TEST_F(DirlibTest, IsadirTypesAPathAndReportsOnlyABlankName) {
    fs::create_directory(dir / "sub");
    touch(dir / "sub" / "f.f");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(at("pipe.f").c_str(), 0600), 0);
    touch(dir / "blank.f "); // a name field never holds it: its trailing blank is dropped
#endif
    std::string long_name = at("") + std::string(200 - at("").size(), 'n');
    touch(long_name);
    struct {
        std::string field;
        int ierror, itype;
        std::string out;
    } cases[] = {
        {at("sub/f.f"), 0, 0, ""},
        {at("sub") + "\\f.f", 0, 0, ""},
        {at("sub") + "\\f.f   ", 0, 0, ""},
        {at("sub"), 0, 1, ""},
        {at("none.f"), -1, -1, ""},
#ifndef _WIN32
        {at("pipe.f"), 0, 999, ""},
        {at("blank.f "), -1, -1, ""},
#endif
        {long_name, 0, 0, ""},
        {std::string(20, ' '), -1, -1, "\nError at isadir : A filename is not specified.\n"},
        {"", -1, -1, "\nError at isadir : A filename is not specified.\n"},
    };
    for (const auto& c : cases) {
        int ierror = 7, itype = 7;
        capture_reports();
        isadir(ierror, static_cast<int>(c.field.size()), c.field.data(), itype);
        EXPECT_EQ(captured_reports(), c.out) << c.field;
        EXPECT_EQ(ierror, c.ierror) << c.field;
        EXPECT_EQ(itype, c.itype) << c.field;
        // The open for the scan gives the same type, and opens only a file (the FIFO without
        // waiting for a writer). It opens a path ending in a blank as it is, with the blank.
        std::FILE* f = fopen_regular(c.field.c_str(), itype);
        EXPECT_EQ(itype, c.itype) << c.field;
        if (c.field.empty() || c.field.back() != ' ') {
            EXPECT_EQ(f != nullptr, c.itype == 0) << c.field;
        }
        if (f != nullptr) std::fclose(f);
    }
}

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
    capture_reports();
    isstat(ierror, static_cast<int>(missing.size()), missing.data(), itype, size, r, w, x, atime,
           ctime, mtime);
    EXPECT_EQ(captured_reports(), "");
    EXPECT_EQ(ierror, -1);
    EXPECT_EQ(itype, -1);
    capture_reports();
    isstat(ierror, 3, "   ", itype, size, r, w, x, atime, ctime, mtime);
    EXPECT_EQ(captured_reports(), "\nError at isstat : A filename is not specified.\n");
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
        capture_reports();
        s.routine(ierror, static_cast<int>(s.name.size()), s.name.data());
        EXPECT_EQ(captured_reports(), s.out) << s.name;
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
    capture_reports();
    getdir(ierror, static_cast<int>(shorter.size()), shorter.data(), dirlen);
    EXPECT_EQ(captured_reports(), "");
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
        capture_reports();
        renamf(ierror, static_cast<int>(o.size()), o.data(), static_cast<int>(n.size()), n.data(),
               c.replace);
        EXPECT_EQ(captured_reports(), out) << c.what;
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
    capture_reports();
    renamf(ierror, 0, "", 3, "new", 0);
    renamf(ierror, 3, "old", 4, "    ", 0);
    EXPECT_EQ(captured_reports(), "\nError at renamf : A old filename is not specified.\n"
                                  "\nError at renamf : A new filename is not specified.\n");
    EXPECT_EQ(ierror, -1);
}
