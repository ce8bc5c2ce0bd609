// The scan of one source with its include files: rows, references and the include marks.
#include "codes.hpp"
#include "scan_harness.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(Scan, EmptySourceGivesARowWithoutReferences) {
    tree t;
    t.write("a.f", "");
    scan_setup r;
    r.source(t.dir(), "a.f");
    ASSERT_EQ(r.go(), 0) << r.out;
    ASSERT_EQ(r.p.src, 1);
    const srctab_row& s = r.srctab[0];
    EXPECT_EQ(s.no, 1);
    EXPECT_EQ(s.line_cnt, 0);
    EXPECT_EQ(s.rinc_cnt, 0);
    EXPECT_EQ(s.rmod_cnt, 0);
    EXPECT_EQ(s.lang, lang_fortran);
    EXPECT_STREQ(s.name, "a.f");
    EXPECT_EQ(r.out, "");
}

TEST(Scan, IncludeReadOncePerSourceAndAgainForTheNext) {
    tree t;
    t.write("a.f", "      INCLUDE 'c.inc'\n      INCLUDE 'c.inc'\n      END\n");
    t.write("b.f", "      INCLUDE 'c.inc'\n");
    t.write("c.inc", "      USE m\n      X = 1\n");
    t.write("m.f", "      MODULE m\n      END MODULE\n");
    scan_setup r;
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
    scan_setup r;
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
    scan_setup r;
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
    scan_setup r;
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
    scan_setup r;
    r.source(t.dir(), "u.c");
    ASSERT_EQ(r.go(), 0) << r.out;
    EXPECT_EQ(r.srctab[0].lang, lang_c);
    EXPECT_EQ(r.includes_of(0), (names{"defs.f", "deep.h"}));
}

} // namespace
