// Include files read once per run and replayed for later sources: every source gets the
// references, line counts and reports of reading them anew.
#include "codes.hpp"
#include "scan_harness.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// One source row as the makefile and the module check see it: its lines (own + included),
// its include files (name@include directory) and used modules (name>defining source), in
// table order, and its main-program flag.
std::string describe(const scan_setup& r, int i) {
    const srctab_row& s = r.srctab[i];
    std::string t = std::string(s.name) + " " + std::to_string(s.line_cnt) + "+" +
                    std::to_string(s.incline_cnt) + " inc";
    for (int k = 0; k < s.rinc_cnt; ++k)
        t += " " + std::string(s.rinc1[k].include->name) + "@" +
             std::to_string(s.rinc1[k].include->incdir_no);
    t += " use";
    for (int k = 0; k < s.rmod_cnt; ++k) {
        const modtab_row* m = s.rmod1[k].module;
        t += " " + std::string(m->name) + ">" + (m->source ? m->source->name : "-");
    }
    return s.flg_prog ? t + " prog" : t;
}

struct replay_case {
    const char* title;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> sources;  // "-I" resets, "-Idir" sets the include directory
    std::vector<std::string> expected; // describe() of every source row, or the reports
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
     {"s1.f", "s2.f", "s3.f90", "s4.f", "m.f90"},
     {"s1.f 3+11 inc b.inc@0 a.inc@0 c.inc@0 use ma>m.f90 MB>m.f90 prog",
      "s2.f 2+11 inc a.inc@0 b.inc@0 c.inc@0 use MB>m.f90 ma>m.f90 prog",
      "s3.f90 3+11 inc c.inc@0 b.inc@0 a.inc@0 use ma>m.f90 MB>m.f90 prog",
      "s4.f 2+3 inc c.inc@0 use prog", "m.f90 4+0 inc use"}},
    {"one header read as Fortran and as C",
     {{"h.f", "#include \"z.h\"\n      USE q\n"},
      {"z.h", "      INCLUDE 'h.f'\n#include \"h.f\"\n"},
      {"x.c", "#include \"h.f\"\nint x;\n"},
      {"y.f90", "include 'h.f'\n"},
      {"w.c", "#include \"z.h\"\n#include \"h.f\"\n"},
      {"q.f90", "module q\nend module\n"}},
     {"x.c", "y.f90", "w.c", "q.f90", "x.c"},
     {"x.c 3+1 inc h.f@0 z.h@0 use", "y.f90 1+4 inc h.f@0 z.h@0 use q>q.f90",
      "w.c 3+1 inc z.h@0 h.f@0 use", "q.f90 2+0 inc use", "x.c 3+1 inc h.f@0 z.h@0 use"}},
    {"one include file read in fixed form and in free form, nested",
     {{"f.inc", "      INTEGER i\n     USE mb\n      INCLUDE 'g.inc'\n"},
      {"g.inc", "      X = 1\n     USE ma\n"},
      {"s.f", "      INCLUDE 'f.inc'\n"},
      {"t.F90", "include 'f.inc'\n"},
      {"m.f90", "module ma\nend module\nmodule mb\nend module\n"}},
     {"s.f", "t.F90", "s.f", "t.F90", "m.f90"},
     {"s.f 1+5 inc f.inc@0 g.inc@0 use", "t.F90 1+5 inc f.inc@0 g.inc@0 use mb>m.f90 ma>m.f90",
      "s.f 1+5 inc f.inc@0 g.inc@0 use", "t.F90 1+5 inc f.inc@0 g.inc@0 use mb>m.f90 ma>m.f90",
      "m.f90 4+0 inc use"}},
    {"one name in two include directories",
     {{"inc/h.inc", "      USE m1\n      INCLUDE 'k.inc'\n"},
      {"inc/k.inc", "      USE m2\n"},
      {"h.inc", "      USE m2\n"},
      {"a.f", "      INCLUDE 'h.inc'\n"},
      {"m.f", "      MODULE m1\n      MODULE m2\n"}},
     {"-Iinc", "a.f", "-I", "a.f", "-Iinc", "a.f", "m.f"},
     {"a.f 1+3 inc h.inc@0 k.inc@0 use m1>m.f m2>m.f", "a.f 1+1 inc h.inc@1 use m2>m.f",
      "a.f 1+3 inc h.inc@0 k.inc@0 use m1>m.f m2>m.f", "m.f 2+0 inc use"}},
    {"the rinclude table overflows while a file is replayed",
     {{"a.inc", "      INCLUDE 'b.inc'\n"},
      {"b.inc", "      INCLUDE 'c.inc'\n"},
      {"c.inc", "      X = 1\n"},
      {"s.f", "      INCLUDE 'a.inc'\n"}},
     {"s.f", "s.f", "s.f"},
     {"#ERROR#  build_refinctab  rinclude table overflow >=8\n"
      "#ERROR#  build_file :error return from build_refinctab\n",
      "#ERROR#  rinclude table overflow\n"},
     8},
};

// Each include file is read once, and every later source gets what reading it would give.
struct IncludeReplay : ::testing::TestWithParam<replay_case> {};

TEST_P(IncludeReplay, LaterSourcesGetWhatReadingGives) {
    const replay_case& c = GetParam();
    tree t;
    for (const auto& [name, text] : c.files)
        t.write(name, text);
    scan_setup r;
    r.cap.mxrinc = c.mxrinc;
    for (const std::string& s : c.sources) {
        if (s == "-I")
            r.bare_include();
        else if (s.rfind("-I", 0) == 0)
            r.include_dir(t.dir(s.substr(2)));
        else
            r.source(t.dir(), s);
    }
    std::vector<std::string> got;
    if (r.go() == 0) {
        for (int i = 0; i < r.p.src; ++i)
            got.push_back(describe(r, i));
    } else {
        got = {r.out, r.err};
    }
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Scan, IncludeReplay, ::testing::ValuesIn(replay_cases),
                         [](const auto& info) { return readable_name(info.param.title); });

} // namespace
