// The real binary, run the way a user runs it: command lines, exit status and both streams.
#include "run_binary.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string usage_text =
    "  Usage:\n"
    "  zelkov   [options] [-Idirectry] source-file [ [-Idirectry] source-file ..]\n"
    "\n"
    "  options      :Table size options. 999 means maximum number of each elements.\n"
    "                 '-mxsrc999', '-mxinc999', '-mxrinc999', '-mxmod999'\n"
    "                 or '-mxrmod999'.\n"
    "  -Idirectry   :The directry name of include files.\n"
    "                 This option affects source files untill other -I option\n"
    "                 is specified. If no directry name specified (only -I),\n"
    "                 the directry of include files is reset to the same directry\n"
    "                 of a source file.\n"
    "                 If any -I option is not specified,directries of include files\n"
    "                 are assumed to be the same directries of source files.\n"
    "  source-file   :Source file of program in Fortran or C.\n"
    "                 Source file name can contains wildcard characters '*' or '?'.\n"
    "                 '*' means any character string. '?' means any one character.\n"
    "\n";

const std::string program_f = "      PROGRAM MAIN\n      END\n";

std::string joined(const std::vector<std::string>& args) {
    std::string all;
    for (const std::string& a : args)
        all += "[" + a + "]";
    return all;
}

struct E2eTest : ::testing::Test {
    temp_dir dir;
    void SetUp() override {
        ASSERT_FALSE(zelkov_bin().empty()) << "ZELKOV_BIN is not set";
        ASSERT_FALSE(dir.path.empty());
    }
    run_result run(const std::vector<std::string>& args, const char* stdout_path = nullptr) {
        return run_zelkov(dir.str(), args, stdout_path);
    }
};

TEST_F(E2eTest, UsageTextAloneIsNoFailure) {
    const std::vector<std::string> lines[] = {
        {}, {"-?"}, {"-?x"}, {"-?", "a.f"}, {"a.f", "-?"}, {"-mxsrc5", "-?"}, {"-Iinc", "-?", "-x"},
    };
    for (const auto& args : lines) {
        run_result r = run(args);
        EXPECT_EQ(r.status, 0) << joined(args);
        EXPECT_EQ(r.out, "") << joined(args);
        EXPECT_EQ(r.err, usage_text) << joined(args);
    }
}

TEST_F(E2eTest, UnusableCommandLinesAreReportedWithStatusOne) {
    const std::string no_source_err = usage_text + "#ERROR#    no source-file direction.\n";
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{"-mxsrc0", "a.f"},
         "#ERROR#  invalid option argument-1=[-mxsrc0]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxsrc", "a.f"},
         "#ERROR#  invalid option argument-1=[-mxsrc]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxinc5", "-mxmodx", "a.f"},
         "#ERROR#  invalid option argument-2=[-mxmodx]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxrinc-3", "a.f"},
         "#ERROR#  invalid option argument-1=[-mxrinc-3]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxsrc99999999999", "a.f"},
         "#ERROR#  invalid option argument-1=[-mxsrc99999999999]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxrmod2147483648", "a.f"},
         "#ERROR#  invalid option argument-1=[-mxrmod2147483648]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-x", "a.f"},
         "#ERROR#  invalid argument argument-1=[-x]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"a.f", "-mxsrc5"},
         "#ERROR#  invalid argument argument-2=[-mxsrc5]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-I", "-mxsrc5", "a.f"},
         "#ERROR#  invalid argument argument-2=[-mxsrc5]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"sub\\"}, "", "#ERROR# argument [sub\\] error : not file\n" + usage_text},
        {{"a.f", "sub/", "-x"}, "", "#ERROR# argument [sub/] error : not file\n" + usage_text},
        {{"-mxsrc20"}, "#ERROR#  no source-file direction.\n", no_source_err},
        {{"-Iinc", "-I"}, "#ERROR#  no source-file direction.\n", no_source_err},
    };
    for (const Case& c : cases) {
        run_result r = run(c.args);
        EXPECT_EQ(r.status, 1) << joined(c.args);
        EXPECT_EQ(r.out, c.out) << joined(c.args);
        EXPECT_EQ(r.err, c.err) << joined(c.args);
    }
}

TEST_F(E2eTest, HugeTableEitherWorksOrIsReported) {
    dir.write("a.f", program_f);
    // Under the address sanitizer a refused allocation must come back as null, as it does
    // without it, instead of aborting the process.
#ifndef _WIN32
    setenv("ASAN_OPTIONS", "allocator_may_return_null=1", 1);
#endif
    for (const char* option : {"-mxsrc2000000000", "-mxrmod2147483647"}) {
        run_result r = run({option, "a.f"});
        ASSERT_TRUE(r.status == 0 || r.status == 1) << option << " status " << r.status;
        if (r.status == 1) {
            EXPECT_NE(r.out.find("#ERROR#"), std::string::npos) << option;
            EXPECT_NE(r.err.find("#ERROR#"), std::string::npos) << option;
        }
    }
}

TEST_F(E2eTest, CompleteRunWritesAMakefileAndSucceeds) {
    dir.write("a.f", program_f);
    run_result r = run({"a.f"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("a.obj"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("#ERROR#"), std::string::npos) << r.out;
}

TEST_F(E2eTest, OnlyTheFirstModuleWithoutSourceIsReported) {
    dir.write("a.f", "      PROGRAM MAIN\n      USE M1\n      USE M2\n      END\n");
    run_result r = run({"a.f"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "#ERROR#  module source is not found  module=[M1]\n");
    EXPECT_EQ(r.err, "#ERROR#  module source is not found\n");
}

TEST_F(E2eTest, ModulesMatchIgnoringCaseAndCompilerModulesNeedNoSource) {
    dir.write("a.f", "      PROGRAM MAIN\n      USE GEOM\n      USE iso_c_binding\n"
                     "      USE Omp_Lib\n      END\n");
    dir.write("m.f", "      MODULE Geom\n      END MODULE\n");
    run_result r = run({"a.f", "m.f"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("#ERROR#"), std::string::npos) << r.out;
}

TEST_F(E2eTest, DoubleDefinitionIsReportedButTheMakefileIsWritten) {
    dir.write("a.f", program_f);
    dir.write("m1.f", "      MODULE Geom\n      END MODULE\n");
    dir.write("m2.f", "      MODULE GEOM\n      END MODULE\n");
    run_result r = run({"a.f", "m1.f", "m2.f"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "#ERROR#  module name double defined\n");
    EXPECT_NE(r.out.find("#ERROR#  build_modtab  module name double defined [GEOM]\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("m2.obj"), std::string::npos) << r.out;
}

TEST_F(E2eTest, LastTableSizeCounts) {
    dir.write("a.f", program_f);
    dir.write("b.f", "      SUBROUTINE B\n      END\n");
    // The source table holds one source fewer than its size.
    run_result fits = run({"-mxsrc1", "-mxsrc3", "a.f", "b.f"});
    EXPECT_EQ(fits.status, 0) << fits.out << fits.err;
    run_result full = run({"-mxsrc3", "-mxsrc2", "a.f", "b.f"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.out.find("source table overflow >=2"), std::string::npos) << full.out;

    dir.write("m1.f", "      MODULE M1\n      END MODULE\n");
    dir.write("m2.f", "      MODULE M2\n      END MODULE\n");
    run_result mods = run({"-mxmod5", "-mxmod1", "m1.f", "m2.f"});
    EXPECT_EQ(mods.status, 1);
    EXPECT_NE(mods.out.find("#ERROR#  build_modtab  module table overflow >=1\n"),
              std::string::npos)
        << mods.out;
    EXPECT_EQ(mods.err, "#ERROR#  module table overflow\n");
}

TEST_F(E2eTest, ScanFailureEndsTheRunWithoutUsageText) {
    run_result r = run({"missing.f"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("#ERROR#"), std::string::npos);
    EXPECT_EQ(r.err.find("Usage:"), std::string::npos) << r.err;
}

#ifndef _WIN32 // no device that is always full there
TEST_F(E2eTest, MakefileThatCannotBeWrittenIsAFailure) {
    dir.write("a.f", program_f);
    run_result r = run({"a.f"}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("#ERROR#  output error\n"), std::string::npos) << r.err;
}
#endif

TEST_F(E2eTest, AnyArgumentTextIsHandledWithoutCrash) {
    dir.write("a.f", program_f);
    std::vector<std::string> many(3000, "-Iinc");
    many.push_back("a.f");
    run_result r = run(many);
    EXPECT_EQ(r.status, 0) << r.err;

#ifdef _WIN32
    const std::size_t long_arg = 30000; // a Windows command line holds at most 32767 characters
#else
    const std::size_t long_arg = 100000;
#endif
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {std::string(long_arg, 'x') + ".f"},
             {"-I" + std::string(long_arg, 'i'), "a.f"},
             {"\xff\xfe\x80.f"},
             {"dir\xc3\xa9\\*.f"},
             {""},
         }) {
        // Whether these can be processed is the scan's and the writer's business; the run
        // must end normally either way.
        run_result odd = run(args);
        EXPECT_TRUE(odd.status == 0 || odd.status == 1) << joined(args).substr(0, 40);
    }
}

} // namespace

namespace {

// The makefile of the two-source program that the manual walks through.
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

// The dependency rule of object in a makefile, continuation lines included.
std::string rule_of(const std::string& makefile, const std::string& object) {
    const std::string head = "\"$(OBJDIR)\\" + object + "\" : ";
    std::size_t at = makefile.find(head);
    if (at == std::string::npos) return "";
    std::size_t end = makefile.find("\n\t$(", at);
    return makefile.substr(at, end - at);
}

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
    EXPECT_EQ(rule_of(r.out, "user.obj"),
              "\"$(OBJDIR)\\user.obj\" : \"$(SRCDIR)\\user.f90\" \"$(INCDIR)\\x.inc\" "
              "\"$(INCDIR)\\y.inc\" \"$(OBJDIR)\\lib.obj\" \"$(OBJDIR)\\user.obj\"");
    EXPECT_NE(r.out.find("EXE=user.exe\n"), std::string::npos);
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
    EXPECT_EQ(rule_of(r.out, "p.obj"),
              "\"$(OBJDIR)\\p.obj\" : \"$(SRCDIR)\\p.f\" \"$(INCDIR)\\include_file_number_0.inc\" "
              "\"$(INCDIR)\\include_file_number_1.inc\" \\\n"
              "\t\"$(INCDIR)\\include_file_number_2.inc\" \"$(INCDIR)\\include_file_number_3.inc\" "
              "\"$(INCDIR)\\include_file_number_4.inc\" \\\n"
              "\t\"$(INCDIR)\\include_file_number_5.inc\"");
    std::size_t start = 0;
    for (std::size_t nl; (nl = r.out.find('\n', start)) != std::string::npos; start = nl + 1)
        EXPECT_LE(nl - start, 131u) << r.out.substr(start, nl - start);
}

TEST_F(E2eTest, TooLongObjectNameEndsTheMakefileInTheCleanRule) {
    const std::string name = std::string(100, 'x') + ".f";
    dir.write(name, "      END\n");
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

// The makefile of Fortran sources in one directory, without -I: the executable's name, and per
// source in command-line order its name and the prerequisites after the source itself.
std::string fortran_makefile(const std::string& exe,
                             const std::vector<std::pair<std::string, std::string>>& sources) {
    auto object = [](const std::string& src) {
        return "\"$(OBJDIR)\\" + src.substr(0, src.find('.')) + ".obj\"";
    };
    std::string clean, objs, rules;
    for (const auto& [src, prereqs] : sources) {
        clean += "\t-@$(ERASEOBJ) " + object(src) + "\n";
        objs += " \\\n\t" + object(src);
        rules += object(src) + " : \"$(SRCDIR)\\" + src + "\"" + prereqs + "\n\t$(FC) /c /Fo" +
                 object(src) + " /module:\"$(OBJDIR)\\\"  $(FFLAGS) \"$(SRCDIR)\\" + src + "\"\n\n";
    }
    return "CC=cl.exe\nCFLAGS=\nFC=df.exe\nFFLAGS=\nLD=cl.exe\nLDFLAGS=\n\nERASEOBJ=erase\n\nEXE=" +
           exe + "\nOBJDIR=.\nINCDIR=.\nSRCDIR=.\n\nALL : \"$(EXE)\"\n\nCLEAN :\n" + clean +
           "\t-@$(ERASEOBJ) \"$(EXE)\"\n\nOBJS=" + objs +
           "\n\n\"$(EXE)\" : $(OBJS)\n\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)\n\n" + rules;
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

TEST_F(E2eTest, ScanReportsReachBothStreams) {
    dir.write("sub/a.f", "      INCLUDE 'gone.inc'\n");
    dir.write("b.txt", "");
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{"sub\\a.f"},
         "#ERROR#  build_file  not exist source file [sub\\gone.inc]\n",
         "#ERROR#  not exist source file [sub\\gone.inc]\n"},
        {{"b.txt"}, "#ERROR#  invalid source type [b.txt] \n", "#ERROR#  invalid source type\n"},
        {{"sub"}, "#ERROR#  invalid source type [sub] \n", "#ERROR#  invalid source type\n"},
        {{"sub\\*.c"},
         "\nError at opndir : Failed to call FindFirstFile. Handle is 0 : (sub\\*.c).\n"
         "#ERROR#  build  opndir error path1[sub\\*.c]\n",
         "#ERROR#  opndir error no such file\n"},
        {{"-mxinc1", "-Isub", "x.f"},
         "#ERROR#  build_file  not exist source file [.\\x.f]\n",
         "#ERROR#  not exist source file [.\\x.f]\n"},
    };
    for (const Case& c : cases) {
        run_result r = run(c.args);
        EXPECT_EQ(r.status, 1) << joined(c.args);
        EXPECT_EQ(r.out, c.out) << joined(c.args);
        EXPECT_EQ(r.err, c.err) << joined(c.args);
    }
}

} // namespace

#ifndef _WIN32
namespace {

// Runs zelkov in dir with its standard output on a pipe that nobody reads any more.
run_result run_into_closed_pipe(const std::string& dir, const std::vector<std::string>& args) {
    run_result r;
    int fds[2];
    if (pipe(fds) != 0) return r;
    close(fds[0]);
    std::FILE* err = std::tmpfile();
    const std::string bin = zelkov_bin();
    std::vector<char*> argv{const_cast<char*>(bin.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        dup2(fds[1], 1);
        dup2(fileno(err), 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.err = run_binary_detail::read_all(err);
    std::fclose(err);
    return r;
}

TEST_F(E2eTest, MakefileIntoAClosedPipeIsAFailure) {
    dir.write("a.f", program_f);
    run_result r = run_into_closed_pipe(dir.str(), {"a.f"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "#ERROR#  output error\n");
}

} // namespace
#endif
