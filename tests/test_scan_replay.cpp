// Include files read once per run and replayed: the tables and reports of reading them anew.
#include "codes.hpp"
#include "scan_harness.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The same arguments processed source by source through build_file alone: every include
// file read from disk for every source, every table searched row by row.
int reference_go(scan_setup& r) {
    r.fresh_tables();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int rc = 0;
    int mode = -1;
    for (const argtab_row& a : r.args) {
        if (a.type != 2) {
            mode = a.type;
            continue;
        }
        const char* sdir = &r.srcdir[a.srcdir_no * scan_setup::width];
        const char* idir = &r.incdir[a.incdir_no * scan_setup::width];
        const char* sfil = &r.srcfil[a.srcfil_no * scan_setup::width];
        srctab_row* row = &r.srctab[r.p.src++];
        const chain c{lang_none, form_fixed, mode, idir, a.incdir_no, sdir, a.srcdir_no, row};
        rc = build_file(0, c, sfil, nullptr, r.p);
        if (rc != 0) break;
    }
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    return rc;
}

// Every row of the tables (positions for references), but the include marks.
std::string dump(const scan_setup& r, int src, int inc, int rinc, int mod, int rmod) {
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

// Shown by the test listing in place of the case's bytes.
void PrintTo(const replay_case& c, std::ostream* os) {
    *os << c.title;
}

const replay_case replay_cases[] = {
    {"shared, nested and cyclic includes, with statements of every kind",
     {{"a.inc", "      INCLUDE 'b.inc'\n      USE ma\nC comment\n      X = 1\n"},
      {"b.inc", "      INCLUDE 'a.inc'\n      INCLUDE 'c.inc'\n      USE MB,\n     &  ONLY: y\n"},
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

// Each include file read once gives the tables and reports of reading it for every source.
struct IncludeReplay : ::testing::TestWithParam<replay_case> {};

TEST_P(IncludeReplay, SameTablesAsReadingEveryTime) {
    const replay_case& c = GetParam();
    capacities keep;
    mxrinc = c.mxrinc;
    tree t;
    for (const auto& [name, text] : c.files)
        t.write(name, text);
    scan_setup once, every;
    for (scan_setup* r : {&once, &every}) {
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
    EXPECT_EQ(reference_go(every), rc);
    EXPECT_EQ(once.out, every.out);
    EXPECT_EQ(once.err, every.err);
    if (rc == 0) {
        const project& p = once.p;
        const project& q = every.p;
        EXPECT_EQ(dump(once, p.src, p.inc, p.rinc, p.mod, p.rmod),
                  dump(every, q.src, q.inc, q.rinc, q.mod, q.rmod));
    } else {
        // A failed scan hands back no counts; its reports are compared above.
        EXPECT_NE(once.out.find("overflow"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Scan, IncludeReplay, ::testing::ValuesIn(replay_cases),
                         [](const auto& info) { return readable_name(info.param.title); });

} // namespace
