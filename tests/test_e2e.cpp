// The real binary, run the way a user runs it: command lines, exit status and both streams.
#include "tests/run_binary.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
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
    for (const std::string& a : args) all += "[" + a + "]";
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
        {{"-mxsrc0", "a.f"}, "#ERROR#  invalid option argument-1=[-mxsrc0]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxsrc", "a.f"}, "#ERROR#  invalid option argument-1=[-mxsrc]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxinc5", "-mxmodx", "a.f"}, "#ERROR#  invalid option argument-2=[-mxmodx]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxrinc-3", "a.f"}, "#ERROR#  invalid option argument-1=[-mxrinc-3]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxsrc99999999999", "a.f"}, "#ERROR#  invalid option argument-1=[-mxsrc99999999999]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-mxrmod2147483648", "a.f"}, "#ERROR#  invalid option argument-1=[-mxrmod2147483648]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-x", "a.f"}, "#ERROR#  invalid argument argument-1=[-x]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"a.f", "-mxsrc5"}, "#ERROR#  invalid argument argument-2=[-mxsrc5]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-I", "-mxsrc5", "a.f"}, "#ERROR#  invalid argument argument-2=[-mxsrc5]\n",
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
    setenv("ASAN_OPTIONS", "allocator_may_return_null=1", 1);
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
    EXPECT_NE(r.out.find("#ERROR#  build_modtab  module name double defined [Geom]\n"),
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

TEST_F(E2eTest, MakefileThatCannotBeWrittenIsAFailure) {
    dir.write("a.f", program_f);
    run_result r = run({"a.f"}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("#ERROR#  output error\n"), std::string::npos) << r.err;
}

TEST_F(E2eTest, AnyArgumentTextIsHandledWithoutCrash) {
    dir.write("a.f", program_f);
    std::vector<std::string> many(3000, "-Iinc");
    many.push_back("a.f");
    run_result r = run(many);
    EXPECT_EQ(r.status, 0) << r.err;

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {std::string(100000, 'x') + ".f"},
             {"-I" + std::string(100000, 'i'), "a.f"},
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
