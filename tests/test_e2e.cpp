// The real binary, run the way a user runs it: command lines, table sizes, failures, and the
// exit status with both streams.
#include "e2e_fixture.hpp"
#include "temp_stream.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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
        {{"-Xmpi", "a.f", "-mxline200"},
         "#ERROR#  invalid argument argument-3=[-mxline200]\n",
         "#ERROR#  invalid argument\n" + usage_text},
        {{"-X", "a.f"},
         "#ERROR#  invalid argument argument-1=[-X]\n",
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
    EXPECT_EQ(r.out, fortran_makefile("a.exe", {{"a.f", ""}}));
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
    EXPECT_EQ(r.out, fortran_makefile("a.exe", {{"a.f", " \"$(OBJDIR)\\m.obj\""}, {"m.f", ""}}));
}

TEST_F(E2eTest, DoubleDefinitionIsReportedButTheMakefileIsWritten) {
    dir.write("a.f", program_f);
    dir.write("m1.f", "      MODULE Geom\n      END MODULE\n");
    dir.write("m2.f", "      MODULE GEOM\n      END MODULE\n");
    run_result r = run({"a.f", "m1.f", "m2.f"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "#ERROR#  module name double defined\n");
    // The report is written while the sources are read, before the makefile.
    EXPECT_EQ(r.out, "#ERROR#  build_modtab  module name double defined [GEOM]\n" +
                         fortran_makefile("a.exe", {{"a.f", ""}, {"m1.f", ""}, {"m2.f", ""}}));
}

TEST_F(E2eTest, LastTableSizeCounts) {
    dir.write("a.f", program_f);
    dir.write("b.f", "      SUBROUTINE B\n      END\n");
    // The source table holds one source fewer than its size.
    run_result fits = run({"-mxsrc1", "-mxsrc3", "a.f", "b.f"});
    EXPECT_EQ(fits.status, 0) << fits.out << fits.err;
    EXPECT_EQ(fits.out, fortran_makefile("a.exe", {{"a.f", ""}, {"b.f", ""}}));
    EXPECT_EQ(fits.err, "");
    run_result full = run({"-mxsrc3", "-mxsrc2", "a.f", "b.f"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.out, "#ERROR#  build_file  source table overflow >=2\n");
    EXPECT_EQ(full.err, "#ERROR#  source table overflow\n");

    dir.write("m1.f", "      MODULE M1\n      END MODULE\n");
    dir.write("m2.f", "      MODULE M2\n      END MODULE\n");
    run_result mods = run({"-mxmod5", "-mxmod1", "m1.f", "m2.f"});
    EXPECT_EQ(mods.status, 1);
    EXPECT_EQ(mods.out, "#ERROR#  build_modtab  module table overflow >=1\n"
                        "#ERROR#  build_file :error return from mprc_modtab\n");
    EXPECT_EQ(mods.err, "#ERROR#  module table overflow\n");
}

TEST_F(E2eTest, ScanFailureEndsTheRunWithoutUsageText) {
    run_result r = run({"missing.f"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "#ERROR#  build_file  not exist source file [.\\missing.f]\n");
    EXPECT_EQ(r.err, "#ERROR#  not exist source file [.\\missing.f]\n");
}

#ifndef _WIN32 // no device that is always full there
TEST_F(E2eTest, MakefileThatCannotBeWrittenIsAFailure) {
    dir.write("a.f", program_f);
    run_result r = run({"a.f"}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "#ERROR#  output error\n");
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
    std::FILE* err = temp_stream();
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
