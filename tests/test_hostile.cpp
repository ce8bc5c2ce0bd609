// Hostile input, end to end: files that are not what their names say, files that vanish or
// cannot be read, include chains and command lines at the limits. Each run ends in its
// report or in a complete makefile, within a time limit, never in a crash or a hang.
#include "limits.hpp"
#include "run_binary.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const timeout_program = "/usr/bin/timeout";
constexpr int timeout_status = 124; // what timeout returns when it had to stop the program
const char* const setpriv_program = "/usr/bin/setpriv";
// The user nobody, without groups: root's runs drop to it where permissions must bind.
const std::vector<std::string> as_nobody = {"--reuid=65534", "--regid=65534", "--clear-groups"};

const std::string program_f = "      PROGRAM MAIN\n      END\n";

// The compile rule that a complete makefile has for a Fortran source in the current directory.
std::string fortran_rule(const std::string& stem) {
    return "\"$(OBJDIR)\\" + stem + ".obj\" : \"$(SRCDIR)\\" + stem + ".f\"\n";
}

// prefix, the number i and suffix: built by appending, as GCC 12 warns falsely (-Wrestrict) when
// a literal is put in front of a temporary string.
std::string numbered(const char* prefix, int i, const char* suffix = "") {
    std::string text = prefix;
    text += std::to_string(i);
    text += suffix;
    return text;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

struct HostileTest : ::testing::Test {
    temp_dir dir;
    void SetUp() override {
        ASSERT_FALSE(zelkov_bin().empty()) << "ZELKOV_BIN is not set";
        ASSERT_FALSE(dir.path.empty());
    }
    // Runs zelkov under a time limit, so that a run that hangs fails instead of stalling;
    // with as_user (setpriv's options), as that user.
    run_result run(const std::vector<std::string>& args,
                   const std::vector<std::string>& as_user = {}) {
        std::vector<std::string> command = as_user;
        if (access(timeout_program, X_OK) == 0)
            command.insert(command.end(), {timeout_program, "120"});
        command.push_back(zelkov_bin());
        command.insert(command.end(), args.begin(), args.end());
        if (!as_user.empty()) return run_binary(setpriv_program, dir.str(), command);
        const std::string program = command.front();
        command.erase(command.begin());
        return run_binary(program, dir.str(), command);
    }
    fs::path at(const std::string& rel) const { return dir.path / rel; }
};

// Neither a hang, nor a crash, nor a sanitizer report: the run ended by itself with 0 or 1.
void expect_orderly(const run_result& r, const std::string& what) {
    EXPECT_NE(r.status, timeout_status) << what << ": the run did not end";
    EXPECT_TRUE(r.status == 0 || r.status == 1) << what << ": status " << r.status;
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << what << "\n" << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << what << "\n" << r.err;
}

// A failed scan writes its report, exactly detail on standard output and summary on standard
// error, and no makefile.
void expect_report(const run_result& r, const std::string& detail, const std::string& summary,
                   const std::string& what) {
    expect_orderly(r, what);
    EXPECT_EQ(r.status, 1) << what;
    EXPECT_EQ(r.out, detail) << what;
    EXPECT_EQ(r.err, summary) << what;
}

// A chain a.f -> i1.inc -> ... -> i<depth>.inc.
void write_include_chain(const temp_dir& d, int depth) {
    d.write("a.f", "      PROGRAM P\n      INCLUDE 'i1.inc'\n      END\n");
    for (int i = 1; i < depth; ++i)
        d.write(numbered("i", i, ".inc"), numbered("      INCLUDE 'i", i + 1, ".inc'\n"));
    d.write(numbered("i", depth, ".inc"), "      X = 1\n");
}

TEST_F(HostileTest, PathsThatAreNoRegularFilesAreRefusedWithoutWaiting) {
    ASSERT_TRUE(fs::create_directory(at("dir.f")));
    ASSERT_EQ(mkfifo(at("pipe.f").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(at("pipe.inc").c_str(), 0600), 0);
    dir.write("b.f", "      PROGRAM B\n      INCLUDE 'pipe.inc'\n      END\n");
    struct refused {
        std::vector<std::string> args;
        std::string path;
    };
    const refused cases[] = {
        {{"dir.f"}, ".\\dir.f"},
        {{"pipe.f"}, ".\\pipe.f"}, // opened for reading, it would wait for a writer forever
        {{"b.f"}, ".\\pipe.inc"},
        {{"-I.", "b.f"}, ".\\pipe.inc"},
    };
    for (const refused& c : cases) {
        run_result r = run(c.args);
        expect_report(r, " #ERROR#  build_file  invalid filetype " + c.path + "\n",
                      "#ERROR#  invalid filetype " + c.path + "\n", c.args.back());
    }
}

TEST_F(HostileTest, FileListedByTheWildcardButGoneByItsOpenIsReportedMissing) {
    // A dangling link is listed by the directory scan, but its status query fails as it
    // would for a file removed between the scan and the open.
    dir.write("a.f", program_f);
    ASSERT_EQ(symlink("nowhere.f", at("gone.f").c_str()), 0);
    run_result r = run({"*.f"});
    expect_report(r, "#ERROR#  build_file  not exist source file [.\\gone.f]\n",
                  "#ERROR#  not exist source file [.\\gone.f]\n", "*.f");
}

TEST_F(HostileTest, UnreadableSourceGivesTheOpenError) {
    fs::path file = dir.write("a.f", program_f);
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    std::vector<std::string> as_user; // root reads every file: its run drops to nobody
    if (geteuid() == 0) {
        if (access(setpriv_program, X_OK) != 0) GTEST_SKIP() << "no setpriv to drop root's rights";
        ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0); // nobody may enter the directory
        as_user = as_nobody;
        std::vector<std::string> probe = as_user;
        probe.insert(probe.end(), {"/bin/sh", "-c", "test -r a.f"});
        ASSERT_EQ(run_binary(setpriv_program, dir.str(), probe).status, 1)
            << "a.f must be unreadable to nobody and nobody must run";
    } else if (access(file.c_str(), R_OK) == 0) {
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    run_result r = run({"a.f"}, as_user);
    expect_report(r, " #ERROR#  build_file  source file open error [.\\a.f]\n",
                  "#ERROR#  source file open error\n", "a.f");
}

TEST_F(HostileTest, BinaryFilesNamedAsSourcesGiveAReportOrAMakefile) {
    // Every byte value, NUL and lone CR included, in lines of all lengths; and a real program.
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 16));
    }
    dir.write("noise.f", bytes);
    dir.write("noise.c", bytes);
    fs::copy_file(zelkov_bin(), at("prog.f"));
    fs::copy_file(zelkov_bin(), at("prog.c"));
    for (const char* name : {"noise.f", "noise.c", "prog.f", "prog.c"}) {
        run_result r = run({name});
        expect_orderly(r, name);
        const std::string stem = fs::path(name).stem().string();
        if (r.status == 0) {
            EXPECT_NE(r.out.find("\"$(OBJDIR)\\" + stem + ".obj\" : \"$(SRCDIR)\\" + name + "\""),
                      std::string::npos)
                << name;
            EXPECT_EQ(r.err, "") << name;
        } else {
            EXPECT_NE(r.err.find("#ERROR#"), std::string::npos) << name;
            EXPECT_EQ(r.out.find("ALL :"), std::string::npos) << name;
        }
    }
}

TEST_F(HostileTest, IncludeChainBeyondTheTablesIsReported) {
    write_include_chain(dir, 9);
    struct limit {
        const char* option;
        std::string detail;
        std::string summary;
    };
    const limit cases[] = {
        {"-mxinc5",
         "#ERROR#  build_inctab  include table overflow >=5\n"
         "#ERROR#  build_file :error return from build_inctab\n",
         "#ERROR#  include table overflow\n"},
        {"-mxrinc5",
         "#ERROR#  build_refinctab  rinclude table overflow >=5\n"
         "#ERROR#  build_file :error return from build_refinctab\n",
         "#ERROR#  rinclude table overflow\n"},
    };
    for (const limit& c : cases) {
        run_result r = run({c.option, "a.f"});
        expect_report(r, c.detail, c.summary, c.option);
    }
    // The same chain within the tables is read to its end.
    run_result r = run({"a.f"});
    expect_orderly(r, "a.f");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"$(INCDIR)\\i9.inc\""), std::string::npos);
}

TEST_F(HostileTest, ArgumentOfAHundredThousandCharacters) {
    const std::string name = std::string(99998, 'a') + ".f";
    dir.write("b.f", program_f);
    dir.write("c.f", "      INCLUDE 'c.inc'\n");
    struct huge {
        std::vector<std::string> args;
        std::string detail;
        std::string summary;
    };
    const std::string too_long = "  #ERROR#  mprc_filename  too logng filename\n";
    const huge cases[] = {
        {{name},
         too_long + "           in1=[.]\n           in2=[" + name + "], mark=[\\]\n" +
             " #ERROR#  build_file  source filename error filename=[]\n",
         "#ERROR#  source filename error\n"},
        {{"-I" + name, "c.f"},
         too_long + "           in1=[" + name + "]\n           in2=[c.inc], mark=[\\]\n" +
             " #ERROR#  build_file  include filename error filename=[]\n",
         "#ERROR#  include filename error\n"},
    };
    for (const huge& c : cases) {
        run_result r = run(c.args);
        expect_report(r, c.detail, c.summary, c.args.back());
    }
    // As an include directory that no include needs, it reaches the makefile header, whose
    // line cannot hold it: the line is reported and cut, and the makefile is a failure.
    run_result r = run({"-I" + name, "b.f"});
    expect_orderly(r, "-I<long> b.f");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("#ERROR#  output_line  too long buf=[INCDIR=" + name + "]\n"),
              std::string::npos);
    std::string cut_line = "\nINCDIR=";
    cut_line += name.substr(0, makefile_line_max - std::string("INCDIR=").size()) + "\n";
    EXPECT_NE(r.out.find(cut_line), std::string::npos);
    EXPECT_EQ(r.err, "#WARN#   \n#ERROR#  output error\n"); // the line's warning, the summary
}

TEST_F(HostileTest, TenThousandArguments) {
    std::vector<std::string> args{"-mxsrc6000"};
    for (int i = 0; i < 5000; ++i) {
        const std::string stem = numbered("s", i);
        std::ofstream(at(stem + ".f")) << "";
        args.push_back(numbered("-Id", i % 10));
        args.push_back(stem + ".f");
    }
    run_result r = run(args);
    expect_orderly(r, "10,001 arguments");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(count(r.out, ".obj\" : \"$(SRCDIR)\\s"), 5000u);
    EXPECT_NE(r.out.find(fortran_rule("s4999")), std::string::npos);

    // With the default source table the same command line stops at its capacity.
    args.erase(args.begin());
    r = run(args);
    expect_report(r, "#ERROR#  build_file  source table overflow >=1000\n",
                  "#ERROR#  source table overflow\n", "10,000 arguments");
}

TEST_F(HostileTest, WildcardOverFiftyThousandFiles) {
    for (int i = 0; i < 50000; ++i)
        std::ofstream(at(numbered("f", i, ".f"))) << "";
    run_result r = run({"-mxsrc60000", "*.f"});
    expect_orderly(r, "*.f");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(count(r.out, ".obj\" : \"$(SRCDIR)\\f"), 50000u);
    // Sorted by name, f0 first and f9999 last, and nothing lost at the end.
    EXPECT_LT(r.out.find(fortran_rule("f0")), r.out.find(fortran_rule("f1")));
    const std::size_t last = r.out.rfind(fortran_rule("f9999"));
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(r.out.find(".obj\" : ", last + fortran_rule("f9999").size()), std::string::npos);
}

} // namespace
