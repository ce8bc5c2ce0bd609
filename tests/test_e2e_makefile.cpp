// The real binary, run the way a user runs it: the makefiles it writes, byte for byte.
#include "e2e_fixture.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string worked_example =
    "CC=cl.exe\nCFLAGS=\nFC=df.exe\nFFLAGS=\nLD=cl.exe\nLDFLAGS=\n\nERASEOBJ=erase\n\n"
    "EXE=main.exe\nOBJDIR=.\nINCDIR=inc\nSRCDIR=src\n\nALL : \"$(EXE)\"\n\n"
    "CLEAN :\n"
    "\t-@$(ERASEOBJ) \"$(OBJDIR)\\m1.obj\"\n"
    "\t-@$(ERASEOBJ) \"$(OBJDIR)\\main.obj\"\n"
    "\t-@$(ERASEOBJ) \"$(EXE)\"\n\n"
    "OBJS= \\\n"
    "\t\"$(OBJDIR)\\m1.obj\" \\\n"
    "\t\"$(OBJDIR)\\main.obj\"\n\n"
    "\"$(EXE)\" : $(OBJS)\n"
    "\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)\n\n"
    "\"$(OBJDIR)\\m1.obj\" : \"$(SRCDIR)\\m1.f90\"\n"
    "\t$(FC) /c /Fo\"$(OBJDIR)\\m1.obj\" /module:\"$(OBJDIR)\\\" /I\"$(INCDIR)\" $(FFLAGS) "
    "\"$(SRCDIR)\\m1.f90\"\n\n"
    "\"$(OBJDIR)\\main.obj\" : \"$(SRCDIR)\\main.f90\" \"$(INCDIR)\\c.inc\" "
    "\"$(OBJDIR)\\m1.obj\"\n"
    "\t$(FC) /c /Fo\"$(OBJDIR)\\main.obj\" /module:\"$(OBJDIR)\\\" /I\"$(INCDIR)\" $(FFLAGS) "
    "\"$(SRCDIR)\\main.f90\"\n\n";

TEST_F(E2eTest, WorkedExampleIsWrittenByteForByte) {
    dir.write("src/m1.f90", "module m1\nend module m1\n");
    dir.write("src/main.f90", "program main\n  use m1\n  include 'c.inc'\nend program main\n");
    dir.write("inc/c.inc", "  integer, parameter :: n = 3\n");
    for (const char* sep : {"\\", "/"}) {
        run_result r = run(
            {"-Iinc", std::string("src") + sep + "m1.f90", std::string("src") + sep + "main.f90"});
        EXPECT_EQ(r.status, 0) << sep;
        EXPECT_EQ(r.err, "") << sep;
        EXPECT_EQ(r.out, worked_example) << sep;
    }
}

TEST_F(E2eTest, ExampleProjectGivesTheMakefileShownInTheReadme) {
    const std::string examples = std::string(ZELKOV_SOURCE_DIR) + "/examples";
    std::ifstream in(examples + "/expected.mk", std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(expected.empty());
    run_result r = run_zelkov(examples, {"-Iinclude", "src/*.f90", "src/*.c"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected);
}

TEST_F(E2eTest, PrerequisitesAreListedOnceInScanOrder) {
    dir.write("lib.f90", "module a\nend module\nmodule b\nend module\nmodule c\nend module\n");
    dir.write("user.f90", "program p\nuse a\nuse b\ninclude 'x.inc'\nuse c\nuse own\nend\n"
                          "module own\nend module\n");
    dir.write("x.inc", "include 'y.inc'\ninclude 'x.inc'\n");
    dir.write("y.inc", "use a\n");
    run_result r = run({"lib.f90", "user.f90"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    // Three modules of lib.f90 give one prerequisite; the source's own module lists its own
    // object; an include reached through another include follows it.
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              fortran_makefile("user.exe",
                               {{"lib.f90", ""},
                                {"user.f90", " \"$(INCDIR)\\x.inc\" \"$(INCDIR)\\y.inc\" "
                                             "\"$(OBJDIR)\\lib.obj\" \"$(OBJDIR)\\user.obj\""}}));
}

TEST_F(E2eTest, LongPrerequisiteListsContinueOnTabbedLines) {
    std::string text = "program p\n";
    for (int i = 0; i < 6; ++i) {
        const std::string inc = "include_file_number_" + std::to_string(i) + ".inc";
        dir.write(inc, "\n");
        text += "include '" + inc + "'\n";
    }
    dir.write("p.f", text + "end\n");
    run_result r = run({"p.f"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              fortran_makefile("p.exe", {{"p.f", " \"$(INCDIR)\\include_file_number_0.inc\" "
                                                 "\"$(INCDIR)\\include_file_number_1.inc\" \\\n"
                                                 "\t\"$(INCDIR)\\include_file_number_2.inc\" "
                                                 "\"$(INCDIR)\\include_file_number_3.inc\" "
                                                 "\"$(INCDIR)\\include_file_number_4.inc\" \\\n"
                                                 "\t\"$(INCDIR)\\include_file_number_5.inc\""}}));
    std::size_t start = 0;
    for (std::size_t nl; (nl = r.out.find('\n', start)) != std::string::npos; start = nl + 1)
        EXPECT_LE(nl - start, 131u) << r.out.substr(start, nl - start);
}

TEST_F(E2eTest, TooLongObjectNameEndsTheMakefileInTheCleanRule) {
    const std::string name = std::string(100, 'x') + ".f";
    dir.write(name, "      END\n");
    // A longer makefile line, chosen by the user, holds it.
    run_result longer = run({"-mxline300", name});
    EXPECT_EQ(longer.status, 0);
    EXPECT_EQ(longer.out, fortran_makefile("main.exe", {{name, ""}}));
    run_result r = run({name});
    EXPECT_EQ(r.status, 1);
    const std::string edited = "\"$(OBJDIR)\\" + std::string(100, 'x') + ".obj\"";
    EXPECT_EQ(r.out,
              "CC=cl.exe\nCFLAGS=\nFC=df.exe\nFFLAGS=\nLD=cl.exe\nLDFLAGS=\n\nERASEOBJ=erase\n\n"
              "EXE=main.exe\nOBJDIR=.\nINCDIR=.\nSRCDIR=.\n\nALL : \"$(EXE)\"\n\nCLEAN :\n"
              "#ERROR#  output_objs  buf size over flow name=[" +
                  edited + "]\n\n#ERROR#  mprc  output error\n");
    EXPECT_EQ(r.err, "#ERROR#  buf size over flow\n#ERROR#  output error\n");
}

// A byte-order mark used to hide a file's first statement; the text after a comment in a
// #define, and a '"' constant, used to swallow the #include lines after them. No
// conditional is evaluated, and <...> names the system's headers.
TEST_F(E2eTest, ByteOrderMarksCommentedDefinesAndQuoteConstantsLoseNoDependency) {
    const std::string mark = "\xEF\xBB\xBF";
    dir.write("m.f", mark + "      MODULE M\n      END MODULE\n");
    dir.write("p.f", "      PROGRAM P\n      INCLUDE 'u.inc'\n      END\n");
    dir.write("u.inc", mark + "      USE M\n");
    dir.write("c.c", mark + "#include \"a.h\"\n#define A(x) /* doc */ ((x)+1)\n"
                            "#include \"b.h\"\nchar q = '\"';\n#include <stdio.h>\n"
                            "#if 0\n#include \"d.h\"\n#endif\n");
    dir.write("a.h", mark + "#include \"e.h\"\n");
    for (const char* name : {"b.h", "d.h", "e.h"})
        dir.write(name, "\n");
    run_result r = run({"m.f", "p.f", "c.c"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(
        r.out,
        "CC=cl.exe\nCFLAGS=\nFC=df.exe\nFFLAGS=\nLD=cl.exe\nLDFLAGS=\n\nERASEOBJ=erase\n\n"
        "EXE=p.exe\nOBJDIR=.\nINCDIR=.\nSRCDIR=.\n\nALL : \"$(EXE)\"\n\n"
        "CLEAN :\n"
        "\t-@$(ERASEOBJ) \"$(OBJDIR)\\m.obj\"\n"
        "\t-@$(ERASEOBJ) \"$(OBJDIR)\\p.obj\"\n"
        "\t-@$(ERASEOBJ) \"$(OBJDIR)\\c.obj\"\n"
        "\t-@$(ERASEOBJ) \"$(EXE)\"\n\n"
        "OBJS= \\\n"
        "\t\"$(OBJDIR)\\m.obj\" \\\n"
        "\t\"$(OBJDIR)\\p.obj\" \\\n"
        "\t\"$(OBJDIR)\\c.obj\"\n\n"
        "\"$(EXE)\" : $(OBJS)\n"
        "\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)\n\n"
        "\"$(OBJDIR)\\m.obj\" : \"$(SRCDIR)\\m.f\"\n"
        "\t$(FC) /c /Fo\"$(OBJDIR)\\m.obj\" /module:\"$(OBJDIR)\\\"  $(FFLAGS) "
        "\"$(SRCDIR)\\m.f\"\n\n"
        "\"$(OBJDIR)\\p.obj\" : \"$(SRCDIR)\\p.f\" \"$(INCDIR)\\u.inc\" \"$(OBJDIR)\\m.obj\"\n"
        "\t$(FC) /c /Fo\"$(OBJDIR)\\p.obj\" /module:\"$(OBJDIR)\\\"  $(FFLAGS) "
        "\"$(SRCDIR)\\p.f\"\n\n"
        "\"$(OBJDIR)\\c.obj\" : \"$(SRCDIR)\\c.c\" \"$(INCDIR)\\a.h\" \"$(INCDIR)\\e.h\" "
        "\"$(INCDIR)\\b.h\" \"$(INCDIR)\\d.h\"\n"
        "\t$(CC) /c /Fo\"$(OBJDIR)\\c.obj\"  $(CFLAGS) \"$(SRCDIR)\\c.c\"\n\n");
}

// Free-form code that fixed-form rules misread: a USE indented by five blanks (a continuation
// in column 6), continuation lines beginning with USERS (USE RS) and module_name (a module
// definition, here twice), and a USE whose name lies past column 72.
TEST_F(E2eTest, FreeFormSourcesKeepTheirDependencies) {
    dir.write("p.f90",
              "program p\n     use m\n      use" + std::string(70, ' ') +
                  "far\n  implicit none\n  call s(x, &\n    USERS, y)\n"
                  "  call t(a, &\n    module_name, procedure )\n"
                  "  call t(b, &  ! again\n\n    module_name, procedure )\nend program p\n");
    dir.write("m.f90", "module m\nend module m\n");
    dir.write("far.F08", "module far\nend module far\n");
    run_result r = run({"p.f90", "m.f90", "far.F08"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              fortran_makefile("p.exe", {{"p.f90", " \"$(OBJDIR)\\m.obj\" \"$(OBJDIR)\\far.obj\""},
                                         {"m.f90", ""},
                                         {"far.F08", ""}}));
}

// One include file, two sources: it is read in fixed form for fix.for and in free form for
// fre.f90, whichever comes first (in free form, its five-blank line is a USE of its own).
TEST_F(E2eTest, IncludeFileTakesTheFormOfEachSource) {
    dir.write("both.inc", "      integer i\n     use beta\n      use alpha\n");
    dir.write("outer.inc", "      include 'both.inc'\n");
    dir.write("fix.for", "      program fixp\n      include 'outer.inc'\n      end\n");
    dir.write("fre.f90", "subroutine s\n  include 'outer.inc'\nend subroutine s\n");
    dir.write("alpha.f95", "module alpha\nend module alpha\n");
    dir.write("beta.f03", "module beta\nend module beta\n");
    const std::string incs = " \"$(INCDIR)\\outer.inc\" \"$(INCDIR)\\both.inc\"";
    const std::pair<std::string, std::string> fix{"fix.for", incs + " \"$(OBJDIR)\\alpha.obj\""};
    const std::pair<std::string, std::string> fre{
        "fre.f90", incs + " \"$(OBJDIR)\\beta.obj\" \"$(OBJDIR)\\alpha.obj\""};
    const std::pair<std::string, std::string> mods[] = {{"alpha.f95", ""}, {"beta.f03", ""}};
    for (bool fixed_first : {true, false}) {
        run_result r = run({fixed_first ? "fix.for" : "fre.f90",
                            fixed_first ? "fre.f90" : "fix.for", "alpha.f95", "beta.f03"});
        EXPECT_EQ(r.status, 0) << fixed_first;
        EXPECT_EQ(r.err, "") << fixed_first;
        EXPECT_EQ(r.out, fortran_makefile("fix.exe", {fixed_first ? fix : fre,
                                                      fixed_first ? fre : fix, mods[0], mods[1]}))
            << fixed_first;
    }
}

// Names provided outside the project (-X): a module of that name, in any letter case, needs no
// source and gives no prerequisite; an include file of that name is neither read nor listed,
// in Fortran and C; a module a given source defines stays ordinary. A module name of 40
// characters needs -mxname40.
TEST_F(E2eTest, LimitsLiftedByChoice) {
    const std::string name40(40, 'q');
    dir.write("a.f", "      PROGRAM A\n      USE mpi\n      INCLUDE 'mpif.h'\n"
                     "      INCLUDE 'h.inc'\n      END\n");
    dir.write("b.f90", "module b\n  use MPI\n  include 'mpif.h'\n  use netcdf\nend module\n");
    dir.write("h.inc", "      INCLUDE 'mpif.h'\n      USE " + name40 + "\n");
    dir.write("netcdf.f90", "module NetCDF\nend module\nmodule " + name40 + "\nend module\n");
    dir.write("c.c", "#include \"netcdf.h\"\n#include \"h.inc\"\nint x;\n");
    const std::vector<std::string> sources{"a.f", "b.f90", "-Xmpif.h", "netcdf.f90", "-Xnetcdf"};
    std::vector<std::string> args{"-mxname40", "-Xmpi"};
    args.insert(args.end(), sources.begin(), sources.end());
    run_result r = run(args);
    EXPECT_EQ(r.err, "");
    const std::string netcdf_obj = " \"$(OBJDIR)\\netcdf.obj\"";
    EXPECT_EQ(r.out, fortran_makefile("a.exe", {{"a.f", " \"$(INCDIR)\\h.inc\"" + netcdf_obj},
                                                {"b.f90", netcdf_obj},
                                                {"netcdf.f90", ""}}));
    run_result c = run({"-XNETCDF.H", "-Xnetcdf.h", "c.c"});
    EXPECT_NE(c.out.find(" : \"$(SRCDIR)\\c.c\" \"$(INCDIR)\\h.inc\"\n"), std::string::npos);
    run_result without = run({"-Xmpif.h", "-XMPIF.H", "-mxname40", "a.f"}); // options placed last
    EXPECT_EQ(without.out, "#ERROR#  invalid argument argument-3=[-mxname40]\n");
    args[0] = "-mxname39";
    EXPECT_NE(run(args).out.find("#ERROR#  too long use module name bun=[USE " + name40),
              std::string::npos);
    args[0] = "-mxname40";
    args[1] = "-XMpI";
    EXPECT_EQ(run(args).status, 0);
    args.erase(args.begin() + 1);
    EXPECT_EQ(run(args).out, "#ERROR#  module source is not found  module=[mpi]\n");
}

// Sources that a preprocessor reads first: #include "name" is an include, looked up, read in
// the source's form and listed as INCLUDE 'name' is, also between #ifdef and #endif; a file
// included both ways is read once. The form comes from the text after the last dot.
TEST_F(E2eTest, PreprocessorIncludesInFortranAreDependencies) {
    dir.write("a.F", "      PROGRAM A\n#include \"u.inc\"\n      INCLUDE 'u.inc'\n      END\n");
    dir.write("u.inc", "      USE q\n");
    dir.write("b.F90", "module b\ncontains\n#ifdef X\n# include \"u.inc\"\n#endif\nend module\n");
    dir.write("q.fftw.f90", "module q\n     use r\nend module\n");
    dir.write("r.f90.f", "      module r\n      end module\n");
    dir.write("t.f90.f", "      subroutine t\n     use q\n      end\n");
    run_result r = run({"a.F", "b.F90", "q.fftw.f90", "r.f90.f", "t.f90.f"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    const std::string q = " \"$(OBJDIR)\\q.fftw.obj\"";
    EXPECT_EQ(r.out, fortran_makefile("a.exe", {{"a.F", " \"$(INCDIR)\\u.inc\"" + q},
                                                {"b.F90", " \"$(INCDIR)\\u.inc\"" + q},
                                                {"q.fftw.f90", " \"$(OBJDIR)\\r.f90.obj\""},
                                                {"r.f90.f", ""},
                                                {"t.f90.f", ""}}));
}

} // namespace
