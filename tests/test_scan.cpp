// The scan on small trees written into a temporary directory: tables after build, reports.
#include "scan.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

// A temporary directory that removes itself.
struct tree {
    fs::path root;
    tree() {
        static int serial = 0;
        root = fs::temp_directory_path() /
               ("zk_scan_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + std::to_string(serial++) + "_" + std::to_string(std::rand()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~tree() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void write(const std::string& rel, const std::string& text) const {
        fs::path f = root / rel;
        fs::create_directories(f.parent_path());
        std::ofstream(f, std::ios::binary) << text;
    }
    // The directory as the driver stores it: backslashes as separators.
    std::string dir(const std::string& rel = "") const {
        std::string s = (rel.empty() ? root : root / rel).string();
        for (char& c : s)
            if (c == '/') c = '\\';
        return s;
    }
};

// Capacities restored after each test.
struct capacities {
    int s = mxsrc, i = mxinc, r = mxrinc, m = mxmod, rm = mxrmod;
    ~capacities() {
        mxsrc = s;
        mxinc = i;
        mxrinc = r;
        mxmod = m;
        mxrmod = rm;
    }
};

// The argument and name tables as the driver would fill them, and the project tables.
struct scan_run {
    static constexpr int width = 600;
    std::vector<char> incdir, srcdir, srcfil;
    int inc_last = -1, src_last = -1, fil_last = -1;
    std::vector<argtab_row> args;
    int mode = -1, current_inc = -1;
    std::vector<srctab_row> srctab;
    std::vector<inctab_row> inctab;
    std::vector<refinctab_row> refinctab;
    std::vector<modtab_row> modtab;
    std::vector<rmodtab_row> rmodtab;
    project p;
    std::string out, err;

    scan_run() : incdir(width * 64), srcdir(width * 64), srcfil(width * 64) {}

    static int find_or_add(std::vector<char>& t, int& last, const std::string& s) {
        for (int i = 0; i <= last; ++i)
            if (s == &t[i * width]) return i;
        ++last;
        std::snprintf(&t[last * width], width, "%s", s.c_str());
        return last;
    }
    void include_dir(const std::string& d) {
        mode = 1;
        current_inc = find_or_add(incdir, inc_last, d);
        args.push_back({int(args.size()) + 1, 1, current_inc, -1, -1});
    }
    void bare_include() {
        mode = -1;
        args.push_back({int(args.size()) + 1, -1, -1, -1, -1});
    }
    void source(const std::string& dir, const std::string& file) {
        int inc = mode == 1 ? current_inc : find_or_add(incdir, inc_last, dir);
        int sd = find_or_add(srcdir, src_last, dir);
        ++fil_last;
        std::snprintf(&srcfil[fil_last * width], width, "%s", file.c_str());
        args.push_back({int(args.size()) + 1, 2, inc, sd, fil_last});
    }
    int go() {
        srctab.resize(mxsrc);
        inctab.resize(mxinc);
        refinctab.resize(mxrinc);
        modtab.resize(mxmod);
        rmodtab.resize(mxrmod);
        p = project{};
        p.srctab = srctab.data();
        p.inctab = inctab.data();
        p.refinctab = refinctab.data();
        p.modtab = modtab.data();
        p.rmodtab = rmodtab.data();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int rc = build(int(args.size()), args.data(), width, incdir.data(), width, srcdir.data(),
                       width, srcfil.data(), p);
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return rc;
    }
    std::vector<std::string> includes_of(int row) const {
        std::vector<std::string> names;
        const srctab_row& s = srctab[row];
        for (int k = 0; k < s.rinc_cnt; ++k)
            names.push_back(s.rinc1[k].include->name);
        return names;
    }
    std::vector<std::string> modules_of(int row) const {
        std::vector<std::string> names;
        const srctab_row& s = srctab[row];
        for (int k = 0; k < s.rmod_cnt; ++k)
            names.push_back(s.rmod1[k].module->name);
        return names;
    }
};

using names = std::vector<std::string>;

TEST(Scan, EmptySourceGivesARowWithoutReferences) {
    tree t;
    t.write("a.f", "");
    scan_run r;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    ASSERT_EQ(r.p.src, 1);
    const srctab_row& s = r.srctab[0];
    EXPECT_EQ(s.no, 1);
    EXPECT_EQ(s.line_cnt, 0);
    EXPECT_EQ(s.rinc_cnt, 0);
    EXPECT_EQ(s.rmod_cnt, 0);
    EXPECT_EQ(s.lang, 1);
    EXPECT_STREQ(s.name, "a.f");
    EXPECT_EQ(r.out, "");
}

TEST(Scan, IncludeReadOncePerSourceAndAgainForTheNext) {
    tree t;
    t.write("a.f", "      INCLUDE 'c.inc'\n      INCLUDE 'c.inc'\n      END\n");
    t.write("b.f", "      INCLUDE 'c.inc'\n");
    t.write("c.inc", "      USE m\n      X = 1\n");
    t.write("m.f", "      MODULE m\n      END MODULE\n");
    scan_run r;
    r.source(t.dir(), "a.f");
    r.source(t.dir(), "b.f");
    r.source(t.dir(), "m.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.p.inc, 1);
    EXPECT_EQ(r.p.rinc, 2);
    EXPECT_EQ(r.includes_of(0), names{"c.inc"});
    EXPECT_EQ(r.includes_of(1), names{"c.inc"});
    EXPECT_EQ(r.srctab[0].line_cnt, 3);
    EXPECT_EQ(r.srctab[0].incline_cnt, 2); // read once for a.f
    EXPECT_EQ(r.srctab[1].incline_cnt, 2);
    EXPECT_EQ(r.modules_of(0), names{"m"});
    EXPECT_EQ(r.modules_of(1), names{"m"});
    EXPECT_EQ(r.modtab[0].source, &r.srctab[2]);
}

TEST(Scan, IncludeCycleEndsAndEachFileIsReadOnce) {
    tree t;
    t.write("s.f", "      INCLUDE 'a.inc'\n");
    t.write("a.inc", "      INCLUDE 'b.inc'\n");
    t.write("b.inc", "      INCLUDE 'a.inc'\n      USE m2\n");
    t.write("m2.f", "      MODULE m2\n");
    scan_run r;
    r.source(t.dir(), "s.f");
    r.source(t.dir(), "m2.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.includes_of(0), (names{"a.inc", "b.inc"}));
    EXPECT_EQ(r.srctab[0].incline_cnt, 3);
    // The entry of b.inc was first met in a.inc; a.inc was first met in the source.
    EXPECT_EQ(r.inctab[0].parent, nullptr);
    EXPECT_EQ(r.inctab[1].parent, &r.inctab[0]);
    EXPECT_EQ(r.inctab[0].child, &r.inctab[1]);
}

TEST(Scan, IncludeOnlyInAnotherDirectoryDoesNotExist) {
    tree t;
    t.write("src/a.f", "      INCLUDE 'x.inc'\n");
    t.write("other/x.inc", "\n");
    scan_run r;
    r.source(t.dir("src"), "a.f");
    EXPECT_EQ(r.go(), -1);
    const std::string path = t.dir("src") + "\\x.inc";
    EXPECT_EQ(r.out, "#ERROR#  build_file  not exist source file [" + path + "]\n");
    EXPECT_EQ(r.err, "#ERROR#  not exist source file [" + path + "]\n");
    EXPECT_EQ(r.p.src, 0); // counts are handed back only on success
}

TEST(Scan, UsesAreCountedOncePerSourceAndProgramInIncludeMarksTheSource) {
    tree t;
    t.write("a.f90",
            "subroutine s1\n use geo\nend\nsubroutine s2\n use GEO\n include 'p.inc'\nend\n");
    t.write("p.inc", "program main\n");
    t.write("g.f90", "module Geo\nend module\n");
    scan_run r;
    r.source(t.dir(), "a.f90");
    r.source(t.dir(), "g.f90");
    ASSERT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.srctab[0].rmod_cnt, 1);
    EXPECT_EQ(r.p.rmod, 1);
    EXPECT_EQ(r.srctab[0].flg_prog, 1);
    EXPECT_EQ(r.srctab[1].flg_prog, 0);
    EXPECT_STREQ(r.modtab[0].name, "geo"); // the spelling first met
    EXPECT_EQ(r.modtab[0].source, &r.srctab[1]);
}

TEST(Scan, FortranNamedIncludeIsReadAsCFromACSource) {
    tree t;
    t.write("u.c", "#include \"defs.f\"\nint x;\n");
    t.write("defs.f", "#include \"deep.h\"\n");
    t.write("deep.h", "/* nothing */\n");
    scan_run r;
    r.source(t.dir(), "u.c");
    ASSERT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.srctab[0].lang, 2);
    EXPECT_EQ(r.includes_of(0), (names{"defs.f", "deep.h"}));
}

TEST(Scan, IncludeDirectoryModes) {
    tree t;
    t.write("inc/h.inc", "      USE m\n");
    t.write("a.f", "      INCLUDE 'h.inc'\n");
    t.write("b.f", "      MODULE m\n");
    scan_run r;
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

// The same arguments processed source by source through build_file alone: every include
// file read from disk for every source, every table searched row by row.
int reference_go(scan_run& r) {
    r.srctab.assign(mxsrc, srctab_row{});
    r.inctab.assign(mxinc, inctab_row{});
    r.refinctab.assign(mxrinc, refinctab_row{});
    r.modtab.assign(mxmod, modtab_row{});
    r.rmodtab.assign(mxrmod, rmodtab_row{});
    r.p = project{};
    r.p.srctab = r.srctab.data();
    r.p.inctab = r.inctab.data();
    r.p.refinctab = r.refinctab.data();
    r.p.modtab = r.modtab.data();
    r.p.rmodtab = r.rmodtab.data();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int rc = 0;
    int mode = -1;
    for (const argtab_row& a : r.args) {
        if (a.type != 2) {
            mode = a.type;
            continue;
        }
        const char* sdir = &r.srcdir[a.srcdir_no * scan_run::width];
        const char* idir = &r.incdir[a.incdir_no * scan_run::width];
        const char* sfil = &r.srcfil[a.srcfil_no * scan_run::width];
        srctab_row* row = &r.srctab[r.p.src++];
        rc = build_file(0, 0, mode, idir, sdir, sfil, a.incdir_no, a.srcdir_no, row, r.p, nullptr);
        if (rc != 0) break;
    }
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    return rc;
}

// Every row of the tables (positions for references), but the include marks.
std::string dump(const scan_run& r, int src, int inc, int rinc, int mod, int rmod) {
    auto at = [](const auto* row, const auto& table) {
        return std::to_string(row ? row - table.data() : -1);
    };
    std::string t;
    for (int i = 0; i < src; ++i) {
        const srctab_row& s = r.srctab[i];
        t += std::to_string(s.no) + s.name + " " + std::to_string(s.lang) + " " +
             std::to_string(s.inctype) + " " + std::to_string(s.incdir_no) + " " +
             at(s.rinc1, r.refinctab) + "/" + std::to_string(s.rinc_cnt) + " " +
             at(s.rmod1, r.rmodtab) + "/" + std::to_string(s.rmod_cnt) + " " +
             std::to_string(s.line_cnt) + " " + std::to_string(s.incline_cnt) + " " +
             std::to_string(s.flg_prog) + "\n";
    }
    for (int i = 0; i < inc; ++i) {
        const inctab_row& e = r.inctab[i];
        t += std::to_string(e.no) + e.name + " " + std::to_string(e.inctype) + " " +
             std::to_string(e.incdir_no) + " " + at(e.parent, r.inctab) + " " +
             at(e.child, r.inctab) + " " + at(e.next, r.inctab) + "\n";
    }
    for (int i = 0; i < rinc; ++i)
        t += at(r.refinctab[i].include, r.inctab) + ">" + at(r.refinctab[i].source, r.srctab) + " ";
    for (int i = 0; i < mod; ++i)
        t += std::string(r.modtab[i].name) + ">" + at(r.modtab[i].source, r.srctab) + " ";
    for (int i = 0; i < rmod; ++i)
        t += at(r.rmodtab[i].module, r.modtab) + ">" + at(r.rmodtab[i].source, r.srctab) + " ";
    return t;
}

struct replay_case {
    const char* title;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> sources; // "-I" resets, "-Idir" sets the include directory
    int mxrinc = 100;
};

TEST(Scan, IncludeFilesReadOnceGiveTheTablesOfReadingThemForEverySource) {
    const replay_case cases[] = {
        {"shared, nested and cyclic includes, with statements of every kind",
         {{"a.inc", "      INCLUDE 'b.inc'\n      USE ma\nC comment\n      X = 1\n"},
          {"b.inc",
           "      INCLUDE 'a.inc'\n      INCLUDE 'c.inc'\n      USE MB,\n     &  ONLY: y\n"},
          {"c.inc", "      MODULE dup\n      END MODULE\n      PROGRAM p\n"},
          {"s1.f", "      INCLUDE 'b.inc'\n      INCLUDE 'a.inc'\n      END\n"},
          {"s2.f", "      INCLUDE 'a.inc'\n      USE mb\n"},
          {"s3.f90", "include 'c.inc'\ninclude 'b.inc'\nuse ma\n"},
          {"s4.f", "      INCLUDE 'c.inc'\n      INCLUDE 'c.inc'\n"},
          {"m.f90", "module ma\nend module\nmodule mb\nend module\n"}},
         {"s1.f", "s2.f", "s3.f90", "s4.f", "m.f90"}},
        {"one header read as Fortran and as C",
         {{"h.f", "#include \"z.h\"\n      USE q\n"},
          {"z.h", "      INCLUDE 'h.f'\n#include \"h.f\"\n"},
          {"x.c", "#include \"h.f\"\nint x;\n"},
          {"y.f90", "include 'h.f'\n"},
          {"w.c", "#include \"z.h\"\n#include \"h.f\"\n"},
          {"q.f90", "module q\nend module\n"}},
         {"x.c", "y.f90", "w.c", "q.f90", "x.c"}},
        {"one include file read in fixed form and in free form, nested",
         {{"f.inc", "      INTEGER i\n     USE mb\n      INCLUDE 'g.inc'\n"},
          {"g.inc", "      X = 1\n     USE ma\n"},
          {"s.f", "      INCLUDE 'f.inc'\n"},
          {"t.F90", "include 'f.inc'\n"},
          {"m.f90", "module ma\nend module\nmodule mb\nend module\n"}},
         {"s.f", "t.F90", "s.f", "t.F90", "m.f90"}},
        {"one name in two include directories",
         {{"inc/h.inc", "      USE m1\n      INCLUDE 'k.inc'\n"},
          {"inc/k.inc", "      USE m2\n"},
          {"h.inc", "      USE m2\n"},
          {"a.f", "      INCLUDE 'h.inc'\n"},
          {"m.f", "      MODULE m1\n      MODULE m2\n"}},
         {"-Iinc", "a.f", "-I", "a.f", "-Iinc", "a.f", "m.f"}},
        {"the rinclude table overflows while a file is replayed",
         {{"a.inc", "      INCLUDE 'b.inc'\n"},
          {"b.inc", "      INCLUDE 'c.inc'\n"},
          {"c.inc", "      X = 1\n"},
          {"s.f", "      INCLUDE 'a.inc'\n"}},
         {"s.f", "s.f", "s.f"},
         8},
    };
    for (const replay_case& c : cases) {
        capacities keep;
        mxrinc = c.mxrinc;
        tree t;
        for (const auto& [name, text] : c.files)
            t.write(name, text);
        scan_run once, every;
        for (scan_run* r : {&once, &every}) {
            for (const std::string& s : c.sources) {
                if (s == "-I")
                    r->bare_include();
                else if (s.rfind("-I", 0) == 0)
                    r->include_dir(t.dir(s.substr(2)));
                else
                    r->source(t.dir(), s);
            }
        }
        int rc = once.go();
        EXPECT_EQ(reference_go(every), rc) << c.title;
        EXPECT_EQ(once.out, every.out) << c.title;
        EXPECT_EQ(once.err, every.err) << c.title;
        if (rc == 0) {
            const project& p = once.p;
            const project& q = every.p;
            EXPECT_EQ(dump(once, p.src, p.inc, p.rinc, p.mod, p.rmod),
                      dump(every, q.src, q.inc, q.rinc, q.mod, q.rmod))
                << c.title;
        } else {
            // A failed scan hands back no counts; its reports are compared above.
            EXPECT_NE(once.out.find("overflow"), std::string::npos) << c.title;
        }
    }
}

struct report_case {
    const char* title;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> sources; // file names in the tree's root
    std::string out;                  // expected standard output; @ stands for the root
    std::string err;
};

std::string with_root(std::string s, const std::string& root) {
    for (std::size_t at; (at = s.find('@')) != std::string::npos;)
        s.replace(at, 1, root);
    return s;
}

TEST(Scan, ReportsOfTheFileProcessing) {
    const std::vector<report_case> cases = {
        {"no dot",
         {{"prog", ""}},
         {"prog"},
         "#ERROR#  invalid source type [prog] \n",
         "#ERROR#  invalid source type\n"},
        {"first dot followed by another letter",
         {{"a.b.f", ""}},
         {"a.b.f"},
         "#ERROR#  invalid source type [a.b.f] \n",
         "#ERROR#  invalid source type\n"},
        {"missing source",
         {},
         {"gone.f"},
         "#ERROR#  build_file  not exist source file [@\\gone.f]\n",
         "#ERROR#  not exist source file [@\\gone.f]\n"},
        {"directory named as source",
         {{"d.f/x", ""}},
         {"d.f"},
         " #ERROR#  build_file  invalid filetype @\\d.f\n",
         "#ERROR#  invalid filetype @\\d.f\n"},
        {"faulty statement ends the file",
         {{"a.f", "      USE\n"}},
         {"a.f"},
         "#ERROR#  use module name not found  bun=[USE]\n",
         "#ERROR#  use module name not found\n"},
        {"first failing file ends the run",
         {{"a.f", "      PROGRAM\n"}},
         {"a.f", "gone.f"},
         "#ERROR#  program name not found  bun=[PROGRAM]\n",
         "#ERROR#  program name not found\n"},
    };
    for (const report_case& c : cases) {
        SCOPED_TRACE(c.title);
        tree t;
        for (const auto& [name, text] : c.files)
            t.write(name, text);
        scan_run r;
        for (const std::string& s : c.sources)
            r.source(t.dir(), s);
        EXPECT_EQ(r.go(), -1);
        EXPECT_EQ(r.out, with_root(c.out, t.dir()));
        EXPECT_EQ(r.err, with_root(c.err, t.dir()));
    }
}

TEST(Scan, ReadErrorNamesTheLineWhereTheStatementBegins) {
    tree t;
    std::string text = "      A = 1\n      B = 2\nC comment\n      D = 4\n      E = 5\n";
    for (int i = 0; i < 200; ++i)
        text += "     &  + 1\n";
    t.write("a.f", text);
    scan_run r;
    r.source(t.dir(), "a.f");
    EXPECT_EQ(r.go(), -1);
    const std::string tail =
        "#ERROR#  build_file  read error  source=[" + t.dir() + "\\a.f], line 5 or after\n";
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
    EXPECT_NE(r.err.find("#ERROR#  error occurs while source inpur\n"), std::string::npos);
}

TEST(Scan, ReportPathIsCutToKeepTheClosingBracket) {
    tree t;
    scan_run r;
    std::string name(511 - t.dir().size() - 1, 'x');
    name.replace(name.size() - 2, 2, ".f");
    r.source(t.dir(), name);
    EXPECT_EQ(r.go(), -1);
    const std::string text = "not exist source file [" + t.dir() + "\\" + name;
    EXPECT_EQ(r.err, "#ERROR#  " + text.substr(0, 510) + "]\n");
}

TEST(Scan, WildcardsExpandInSortedOrder) {
    tree t;
    t.write("sub/B.f", "      PROGRAM b\n");
    t.write("sub/a.f", "");
    t.write("sub/C.f", "");
    t.write("sub/x.c", "");
    scan_run r;
    r.source(t.dir("sub"), "*.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    ASSERT_EQ(r.p.src, 3);
    EXPECT_STREQ(r.srctab[0].name, "a.f");
    EXPECT_STREQ(r.srctab[1].name, "B.f");
    EXPECT_STREQ(r.srctab[2].name, "C.f");
    EXPECT_EQ(r.srctab[2].no, 3);
}

TEST(Scan, WildcardMatchingADirectoryOrNothing) {
    tree t;
    t.write("x.f/keep", "");
    {
        scan_run r;
        r.source(t.dir(), "x.?");
        EXPECT_EQ(r.go(), -1);
        EXPECT_EQ(r.out, " #ERROR#  build_file  invalid filetype " + t.dir() + "\\x.f\n");
    }
    {
        scan_run r;
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
    scan_run r;
    const std::string dir(500, 'd');
    r.source(dir, "*.f" + std::string(9, 'f'));
    EXPECT_EQ(r.go(), -1);
    EXPECT_NE(r.out.find("#ERROR#  build  srcdir[" + dir + "] srcfil[*.f" + std::string(9, 'f') +
                         "] too long \n"),
              std::string::npos);
    EXPECT_EQ(r.err, "#ERROR#  build  too long srource & file name\n");
}

TEST(Scan, SourceTableHoldsOneRowLessThanItsCapacity) {
    capacities keep;
    tree t;
    for (int i = 0; i < 1000; ++i)
        t.write("s" + std::to_string(1000 + i) + ".f", "");
    {
        scan_run r;
        r.source(t.dir(), "s1*.f");
        EXPECT_EQ(r.go(), -1);
        EXPECT_EQ(r.out, "#ERROR#  build_file  source table overflow >=1000\n");
        EXPECT_EQ(r.err, "#ERROR#  source table overflow\n");
    }
    fs::remove(t.root / "s1999.f");
    scan_run r;
    r.source(t.dir(), "s1*.f");
    EXPECT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.p.src, 999);
}

// Writes a chain c0.inc -> c1.inc -> ... of n include files under the source a.f.
void write_chain(const tree& t, int n) {
    t.write("a.f", "      INCLUDE 'c0.inc'\n");
    for (int i = 0; i < n; ++i) {
        std::string next = i + 1 < n ? "      INCLUDE 'c" + std::to_string(i + 1) + ".inc'\n" : "";
        t.write("c" + std::to_string(i) + ".inc", next + "      X = 1\n");
    }
}

TEST(Scan, IncludeChainAsDeepAsTheDefaultTable) {
    tree t;
    write_chain(t, 500);
    scan_run r;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out.substr(0, 300);
    EXPECT_EQ(r.p.inc, 500);
    EXPECT_EQ(r.srctab[0].rinc_cnt, 500);
    EXPECT_EQ(r.srctab[0].incline_cnt, 999);
}

#ifndef _WIN32
// Keeps the open-file limit of the process as it was.
struct file_limit {
    rlimit saved{};
    file_limit() { getrlimit(RLIMIT_NOFILE, &saved); }
    ~file_limit() { setrlimit(RLIMIT_NOFILE, &saved); }
    bool set(rlim_t n) {
        rlimit l = saved;
        l.rlim_cur = n;
        if (l.rlim_max != RLIM_INFINITY && l.rlim_max < n) l.rlim_max = n;
        return setrlimit(RLIMIT_NOFILE, &l) == 0;
    }
};

TEST(Scan, IncludeChainBeyondTheOpenFileLimitEndsInTheOpenError) {
    file_limit limit;
    tree t;
    write_chain(t, 200);
    ASSERT_TRUE(limit.set(64));
    scan_run r;
    r.source(t.dir(), "a.f");
    EXPECT_EQ(r.go(), -1);
    EXPECT_NE(r.out.find(" #ERROR#  build_file  source file open error ["), std::string::npos);
    EXPECT_EQ(r.err, "#ERROR#  source file open error\n");
}

TEST(Scan, IncludeChainAsDeepAsTheOpenFileLimitAllows) {
    capacities keep;
    file_limit limit;
    // Every level holds its file open: go as deep as the hard limit lets this process.
    const rlim_t hard = limit.saved.rlim_max;
    const int n = hard == RLIM_INFINITY || hard > 100064 ? 100000 : int(hard) - 64;
    ASSERT_GT(n, 1000);
    ASSERT_TRUE(limit.set(rlim_t(n) + 64));
    tree t;
    write_chain(t, n);
    mxinc = n;
    mxrinc = n;
    scan_run r;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out.substr(0, 300);
    EXPECT_EQ(r.p.inc, n);
    EXPECT_EQ(r.srctab[0].incline_cnt, 2 * n - 1);
}

TEST(Scan, IncludeChainOfOneHundredThousandLevels) {
    capacities keep;
    file_limit limit;
    if (!limit.set(200000)) GTEST_SKIP() << "the open-file limit cannot be raised here";
    tree t;
    const int n = 100000;
    write_chain(t, n);
    mxinc = n;
    mxrinc = n;
    scan_run r;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out.substr(0, 300);
    EXPECT_EQ(r.p.inc, n);
    EXPECT_EQ(r.srctab[0].incline_cnt, 2 * n - 1);
}
#endif

} // namespace
