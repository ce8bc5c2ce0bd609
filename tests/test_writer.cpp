// The makefile writer on hand-built tables: line formats, both flavours, length bounds and
// what stays written when a routine fails.
#include "writer.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// A temporary stream that the routines write to; text() reads back all of it.
struct stream {
    std::FILE* fp = std::tmpfile();
    ~stream() { std::fclose(fp); }
    std::string text() {
        std::fflush(fp);
        std::rewind(fp);
        std::string out;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0)
            out.append(buf, n);
        return out;
    }
};

// Output of one writing routine: its result and the three streams it touched.
struct written {
    int result;
    std::string text; // the makefile stream
    std::string out;  // standard output: detail lines
    std::string err;  // standard error: summaries
};

template <typename F> written run(F write) {
    stream s;
    CaptureStdout();
    CaptureStderr();
    int result = write(s.fp);
    std::fflush(stdout);
    written w{result, s.text(), "", ""};
    w.out = GetCapturedStdout();
    w.err = GetCapturedStderr();
    return w;
}

srctab_row make_src(const std::string& name, int lang = 1, int srcdir_no = 0, int incdir_no = 0,
                    int inctype = 1, int flg_prog = 0) {
    srctab_row row{};
    row.srcdir_no = srcdir_no;
    row.incdir_no = incdir_no;
    row.inctype = inctype;
    row.lang = lang;
    row.flg_prog = flg_prog;
    std::snprintf(row.name, sizeof row.name, "%s", name.c_str());
    return row;
}

inctab_row make_inc(const std::string& name, int incdir_no = 0) {
    inctab_row entry{};
    entry.incdir_no = incdir_no;
    std::snprintf(entry.name, sizeof entry.name, "%s", name.c_str());
    return entry;
}

// A little project: sources with their include and module references, tied by address.
struct project_tables {
    srctab_row src[8]{};
    int src_cnt = 0;
    inctab_row inc[8]{};
    refinctab_row rinc[16]{};
    int rinc_cnt = 0;
    modtab_row mod[8]{};
    rmodtab_row rmod[16]{};
    int rmod_cnt = 0;

    srctab_row& add_src(const srctab_row& row) {
        src[src_cnt] = row;
        src[src_cnt].no = src_cnt + 1;
        return src[src_cnt++];
    }
    // References must be added source by source, as the scan records them.
    void add_include(srctab_row& row, inctab_row* entry) {
        if (row.rinc1 == nullptr) row.rinc1 = &rinc[rinc_cnt];
        rinc[rinc_cnt] = refinctab_row{rinc_cnt + 1, entry, &row};
        ++rinc_cnt;
        ++row.rinc_cnt;
    }
    void add_use(srctab_row& row, modtab_row* module) {
        if (row.rmod1 == nullptr) row.rmod1 = &rmod[rmod_cnt];
        rmod[rmod_cnt] = rmodtab_row{rmod_cnt + 1, module, &row};
        ++rmod_cnt;
        ++row.rmod_cnt;
    }
};

modtab_row make_mod(const char* name, srctab_row* source) {
    modtab_row m{};
    m.source = source;
    std::snprintf(m.name, sizeof m.name, "%s", name);
    return m;
}

// The project of the worked example: m1.f90 defines m1, main.f90 includes c.inc, uses m1.
struct worked_example : project_tables {
    worked_example() {
        srctab_row& m1 = add_src(make_src("m1.f90"));
        srctab_row& main = add_src(make_src("main.f90", 1, 0, 0, 1, 1));
        inc[0] = make_inc("c.inc");
        mod[0] = make_mod("m1", &m1);
        add_include(main, &inc[0]);
        add_use(main, &mod[0]);
    }
};

const char worked_makefile[] = R"mk(CC=cl.exe
CFLAGS=
FC=df.exe
FFLAGS=
LD=cl.exe
LDFLAGS=

ERASEOBJ=erase

EXE=main.exe
OBJDIR=.
INCDIR=inc
SRCDIR=src

ALL : "$(EXE)"

CLEAN :
	-@$(ERASEOBJ) "$(OBJDIR)\m1.obj"
	-@$(ERASEOBJ) "$(OBJDIR)\main.obj"
	-@$(ERASEOBJ) "$(EXE)"

OBJS= \
	"$(OBJDIR)\m1.obj" \
	"$(OBJDIR)\main.obj"

"$(EXE)" : $(OBJS)
	$(LD) -o "$(EXE)" $(LDFLAGS) $(OBJS)

"$(OBJDIR)\m1.obj" : "$(SRCDIR)\m1.f90"
	$(FC) /c /Fo"$(OBJDIR)\m1.obj" /module:"$(OBJDIR)\" /I"$(INCDIR)" $(FFLAGS) "$(SRCDIR)\m1.f90"

"$(OBJDIR)\main.obj" : "$(SRCDIR)\main.f90" "$(INCDIR)\c.inc" "$(OBJDIR)\m1.obj"
	$(FC) /c /Fo"$(OBJDIR)\main.obj" /module:"$(OBJDIR)\" /I"$(INCDIR)" $(FFLAGS) "$(SRCDIR)\main.f90"

)mk";

// The one-row name tables of the worked example.
const char incdir_table[] = "inc";
const char srcdir_table[] = "src";

int line_count(const std::string& text) {
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

// ---------------------------------------------------------------------------------------
// Line output

TEST(OutputLine, WritesUpTo131CharactersAndCutsLongerOnes) {
    struct {
        int len;
        int result;
        int written;
    } cases[] = {{0, 1, 0}, {1, 1, 1}, {131, 1, 131}, {132, -1, 131}, {400, -1, 131}};
    for (const auto& c : cases) {
        std::string text(c.len, 'x');
        written w = run([&](std::FILE* fp) { return output_line(fp, text.c_str()); });
        SCOPED_TRACE(c.len);
        EXPECT_EQ(w.result, c.result);
        EXPECT_EQ(w.text, std::string(c.written, 'x') + "\n");
        if (c.result == 1) {
            EXPECT_EQ(w.out, "");
            EXPECT_EQ(w.err, "");
        } else {
            EXPECT_EQ(w.out, "#ERROR#  output_line  too long buf=[" + text + "]\n");
            EXPECT_EQ(w.err, "#WARN#   \n");
        }
    }
}

TEST(OutputLine, NewlineIsOneEmptyLine) {
    written w = run([](std::FILE* fp) { return output_newline(fp); });
    EXPECT_EQ(w.result, 1);
    EXPECT_EQ(w.text, "\n");
}

// ---------------------------------------------------------------------------------------
// Header

TEST(OutputHeader, BothFlavoursWithoutDirectories) {
    srctab_row row = make_src("a.f90");
    const char* cl_text =
        "CC=cl.exe\nCFLAGS=\nFC=df.exe\nFFLAGS=\nLD=cl.exe\nLDFLAGS=\n\nERASEOBJ=erase\n\n"
        "EXE=main.exe\nOBJDIR=.\nINCDIR=.\nSRCDIR=.\n\nALL : \"$(EXE)\"\n";
    const char* gcc_text =
        "CC=gcc\nCFLAGS=\nFC=g77\nFFLAGS=\nLD=g77\nLDFLAGS=\n\nERASEOBJ=erase\n\n"
        "EXE=main.exe\nOBJDIR=.\nINCDIR=.\nSRCDIR=.\n\nALL : $(EXE)\n";
    struct {
        int flavour;
        const char* text;
    } cases[] = {{1, cl_text}, {2, gcc_text}, {0, gcc_text}};
    for (const auto& c : cases) {
        written w = run([&](std::FILE* fp) {
            return output_header(c.flavour, fp, -1, 0, nullptr, -1, 0, nullptr, &row, 1);
        });
        SCOPED_TRACE(c.flavour);
        EXPECT_EQ(w.result, 15);
        EXPECT_EQ(w.text, c.text);
        EXPECT_EQ(w.out + w.err, "");
    }
}

TEST(OutputHeader, ExecutableIsNamedAfterTheFirstMainProgram) {
    struct {
        const char* names[3];
        int flags[3];
        int rows;
        const char* exe;
    } cases[] = {
        {{"a.f90", "b.f90", "solver.old.f90"}, {0, 0, 1}, 3, "EXE=solver.exe\n"},
        {{"a.f90", "b.f90", "c.f90"}, {0, 0, 0}, 3, "EXE=main.exe\n"},
        {{"", "", ""}, {0, 0, 0}, 0, "EXE=main.exe\n"},
        {{"first.f", "second.f", "c"}, {0, 1, 1}, 3, "EXE=second.exe\n"},
        {{"prog", "", ""}, {1, 0, 0}, 1, "EXE=prog.exe\n"},
        {{"my prog.f90", "", ""}, {1, 0, 0}, 1, "EXE=my prog.exe\n"},
    };
    for (const auto& c : cases) {
        srctab_row rows[3];
        for (int i = 0; i < 3; ++i)
            rows[i] = make_src(c.names[i], 1, 0, 0, 1, c.flags[i]);
        written w = run([&](std::FILE* fp) {
            return output_header(1, fp, -1, 0, nullptr, -1, 0, nullptr, rows, c.rows);
        });
        SCOPED_TRACE(c.exe);
        EXPECT_EQ(w.result, 15);
        EXPECT_NE(w.text.find(std::string("\n\n") + c.exe + "OBJDIR=.\n"), std::string::npos);
    }
}

TEST(OutputHeader, OneMacroPerDirectoryRow) {
    // Rows of width 8; the macro of row i carries i from the second row on.
    const char incdir[] = "inc\0\0\0\0\0../a b\0\0c:\\x\0\0\0";
    static_assert(sizeof incdir == 24);
    const char srcdir[] = "src\0\0\0\0\0";
    srctab_row row = make_src("a.f90");
    written w = run(
        [&](std::FILE* fp) { return output_header(1, fp, 2, 8, incdir, 0, 8, srcdir, &row, 1); });
    EXPECT_EQ(w.result, 17);
    EXPECT_NE(w.text.find("OBJDIR=.\nINCDIR=inc\nINCDIR1=../a b\nINCDIR2=c:\\x\nSRCDIR=src\n\n"),
              std::string::npos);
}

TEST(OutputHeader, LongLineIsReportedAndTheRestStillWritten) {
    std::string dir(200, 'd');
    srctab_row row = make_src("a.f90");
    written w = run([&](std::FILE* fp) {
        return output_header(1, fp, -1, 0, nullptr, 0, 201, dir.c_str(), &row, 1);
    });
    EXPECT_EQ(w.result, -1);
    EXPECT_NE(w.text.find("SRCDIR=" + dir.substr(0, 124) + "\n\nALL : \"$(EXE)\"\n"),
              std::string::npos);
    EXPECT_EQ(w.out, "#ERROR#  output_line  too long buf=[SRCDIR=" + dir + "]\n");
    EXPECT_EQ(w.err, "#WARN#   \n");
}

TEST(OutputHeader, LongestStorableNameGivesAReportedExeLine) {
    std::string name(src_name_size - 1, 'n');
    srctab_row row = make_src(name, 1, 0, 0, 1, 1);
    written w = run([&](std::FILE* fp) {
        return output_header(1, fp, -1, 0, nullptr, -1, 0, nullptr, &row, 1);
    });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.out, "#ERROR#  output_line  too long buf=[EXE=" + name + ".exe]\n");
    EXPECT_NE(w.text.find("\nEXE=" + name.substr(0, 127) + "\nOBJDIR=.\n"), std::string::npos);
}

// ---------------------------------------------------------------------------------------
// Object names, CLEAN, OBJS and link

TEST(OutputEditObj, ObjectNameKeepsAllButTheLastExtension) {
    struct {
        std::string name;
        int limit;
        int result;
        std::string edited;
        std::string out;
    } cases[] = {
        {"solver.f90", 132, 0, R"("$(OBJDIR)\solver.obj")", ""},
        {"solver", 132, 0, R"("$(OBJDIR)\solver.obj")", ""},
        {"a.b.c", 132, 0, R"("$(OBJDIR)\a.b.obj")", ""},
        {".f90", 132, 0, R"("$(OBJDIR)\.obj")", ""},
        {"my file.f90", 132, 0, R"("$(OBJDIR)\my file.obj")", ""},
        // Object name of 119 characters: needs 131, fits under 132 but not under 131.
        {std::string(115, 'o') + ".f", 132, 0, "\"$(OBJDIR)\\" + std::string(115, 'o') + ".obj\"",
         ""},
        {std::string(115, 'o') + ".f", 131, -1, "",
         "#ERROR#  too long object file name =[" + std::string(115, 'o') + ".obj]\n"},
        {std::string(128, 's'), 132, -1, "",
         "#ERROR#  too long object file name =[" + std::string(128, 's') + ".obj]\n"},
        {std::string(129, 's'), 132, -1, "",
         "#ERROR#  too long source file name =[" + std::string(129, 's') + "]\n"},
    };
    for (const auto& c : cases) {
        char result[edit_limit] = "junk";
        written w =
            run([&](std::FILE*) { return output_edit_obj(result, c.limit, c.name.c_str()); });
        SCOPED_TRACE(c.name);
        EXPECT_EQ(w.result, c.result);
        EXPECT_EQ(std::string(result), c.edited);
        EXPECT_EQ(w.out, c.out);
        if (c.result < 0) {
            const char* summary = c.name.size() > 128 ? "#ERROR#  too long source file name\n"
                                                      : "#ERROR#  too long object file name\n";
            EXPECT_EQ(w.err, summary);
        }
    }
}

TEST(OutputObjs, CleanRuleObjectListAndLinkRuleInBothFlavours) {
    srctab_row rows[] = {make_src("a.f90"), make_src("b.c", 2)};
    struct {
        int flavour;
        const char* objs;
        const char* link;
    } cases[] = {
        {1,
         "\nCLEAN :\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\a.obj\"\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\b.obj\"\n"
         "\t-@$(ERASEOBJ) \"$(EXE)\"\n\nOBJS= \\\n\t\"$(OBJDIR)\\a.obj\" "
         "\\\n\t\"$(OBJDIR)\\b.obj\"\n",
         "\n\"$(EXE)\" : $(OBJS)\n\t$(LD) -o \"$(EXE)\" $(LDFLAGS) $(OBJS)\n"},
        {2,
         "\nCLEAN :\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\a.obj\"\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\b.obj\"\n"
         "\t-@$(ERASEOBJ) $(EXE)\n\nOBJS= \\\n\t\"$(OBJDIR)\\a.obj\" \\\n\t\"$(OBJDIR)\\b.obj\"\n",
         "\n$(EXE) : $(OBJS)\n\t$(LD) -o $(EXE) $(LDFLAGS) $(OBJS)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flavour);
        written objs = run([&](std::FILE* fp) { return output_objs(c.flavour, fp, rows, 2); });
        EXPECT_EQ(objs.result, 9);
        EXPECT_EQ(objs.text, c.objs);
        written link = run([&](std::FILE* fp) { return output_link(c.flavour, fp); });
        EXPECT_EQ(link.result, 3);
        EXPECT_EQ(link.text, c.link);
    }
}

TEST(OutputObjs, SingleSourceListLineIsNotContinued) {
    srctab_row row = make_src("solo");
    written w = run([&](std::FILE* fp) { return output_objs(1, fp, &row, 1); });
    EXPECT_EQ(w.result, 7);
    EXPECT_EQ(w.text,
              "\nCLEAN :\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\solo.obj\"\n\t-@$(ERASEOBJ) \"$(EXE)\"\n\n"
              "OBJS= \\\n\t\"$(OBJDIR)\\solo.obj\"\n");
}

TEST(OutputObjs, EraseLineHoldsEditedNamesUpTo114Characters) {
    // An object file name of 102 characters edits to 114; one more character fails.
    srctab_row fits[] = {make_src("a.f90"), make_src(std::string(98, 'x') + ".f90")};
    written ok = run([&](std::FILE* fp) { return output_objs(1, fp, fits, 2); });
    EXPECT_EQ(ok.result, 9);
    EXPECT_EQ(ok.out + ok.err, "");

    srctab_row too_long[] = {make_src("a.f90"), make_src(std::string(99, 'x') + ".f90"),
                             make_src("c.f90")};
    written w = run([&](std::FILE* fp) { return output_objs(1, fp, too_long, 3); });
    EXPECT_EQ(w.result, -1);
    // What stays written: the rule's start, the erase lines before the fault, its empty line.
    EXPECT_EQ(w.text, "\nCLEAN :\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\a.obj\"\n\n");
    EXPECT_EQ(w.out, "#ERROR#  output_objs  buf size over flow name=[\"$(OBJDIR)\\" +
                         std::string(99, 'x') + ".obj\"]\n");
    EXPECT_EQ(w.err, "#ERROR#  buf size over flow\n");
}

TEST(OutputObjs, TooLongSourceNameEndsTheCleanRule) {
    srctab_row rows[] = {make_src(std::string(129, 'x') + ".f")};
    written w = run([&](std::FILE* fp) { return output_objs(1, fp, rows, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.text, "\nCLEAN :\n\n");
    EXPECT_EQ(w.err, "#ERROR#  too long source file name\n");
}

// ---------------------------------------------------------------------------------------
// Edited source and include names

TEST(OutputEditSrc, MacroFollowsTheDirectoryRow) {
    struct {
        int dir_no;
        std::string name;
        int limit;
        std::string edited;
    } cases[] = {
        {0, "a.f90", 132, R"("$(SRCDIR)\a.f90")"},
        {3, "b c.f90", 132, R"("$(SRCDIR3)\b c.f90")"},
        {12, "x.c", 132, R"("$(SRCDIR12)\x.c")"},
        {0, std::string(119, 'n'), 132, "\"$(SRCDIR)\\" + std::string(119, 'n') + "\""},
        {0, std::string(120, 'n'), 132, ""},
    };
    for (const auto& c : cases) {
        srctab_row row = make_src(c.name, 1, c.dir_no);
        char result[edit_limit];
        written w = run([&](std::FILE*) { return output_edit_src(result, c.limit, &row); });
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::string(result), c.edited);
        EXPECT_EQ(w.result, c.edited.empty() ? -1 : 0);
        if (c.edited.empty()) {
            EXPECT_EQ(w.out, "#ERROR#  too long source file name =[" + c.name + "]\n");
            EXPECT_EQ(w.err, "#ERROR#  too long source file name\n");
        }
    }
}

TEST(OutputEditInc, MacroFollowsTheEntrysDirectory) {
    struct {
        int dir_no;
        std::string name;
        std::string edited;
    } cases[] = {
        {0, "c.inc", R"("$(INCDIR)\c.inc")"},
        {2, "sub\\d.h", R"("$(INCDIR2)\sub\d.h")"},
        {0, std::string(116, 'i'), "\"$(INCDIR)\\" + std::string(116, 'i') + "\""},
        {0, std::string(117, 'i'), ""},
    };
    for (const auto& c : cases) {
        inctab_row entry = make_inc(c.name, c.dir_no);
        char result[edit_limit];
        written w = run([&](std::FILE*) { return output_edit_inc(result, 129, &entry); });
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::string(result), c.edited);
        EXPECT_EQ(w.result, c.edited.empty() ? -1 : 0);
        if (c.edited.empty()) {
            EXPECT_EQ(w.out, "#ERROR#  too long include file name =[" + c.name + "]\n");
            EXPECT_EQ(w.err, "#ERROR#  too long source include name\n");
        }
    }
}

// ---------------------------------------------------------------------------------------
// Compile rules

TEST(OutputSrcs, WorkedExampleByteForByte) {
    worked_example p;
    stream s;
    CaptureStdout();
    CaptureStderr();
    int header = output_header(1, s.fp, 0, 4, incdir_table, 0, 4, srcdir_table, p.src, 2);
    int objs = output_objs(1, s.fp, p.src, 2);
    int link = output_link(1, s.fp);
    int srcs = output_srcs(1, s.fp, p.src, 2);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(header, 15);
    EXPECT_EQ(objs, 9);
    EXPECT_EQ(link, 3);
    EXPECT_EQ(srcs, 7);
    std::string text = s.text();
    EXPECT_EQ(text, worked_makefile);
    EXPECT_EQ(line_count(text), 34);
}

TEST(OutputSrcs, CompileLineInEachFormat) {
    struct {
        int flavour;
        srctab_row row;
        const char* text;
    } cases[] = {
        {1, make_src("f.f90", 1, 1, 2, 1),
         "\n\"$(OBJDIR)\\f.obj\" : \"$(SRCDIR1)\\f.f90\"\n"
         "\t$(FC) /c /Fo\"$(OBJDIR)\\f.obj\" /module:\"$(OBJDIR)\\\" /I\"$(INCDIR2)\" $(FFLAGS) "
         "\"$(SRCDIR1)\\f.f90\"\n\n"},
        {1, make_src("c.c", 2, 0, 0, 1),
         "\n\"$(OBJDIR)\\c.obj\" : \"$(SRCDIR)\\c.c\"\n"
         "\t$(CC) /c /Fo\"$(OBJDIR)\\c.obj\" /I\"$(INCDIR)\" $(CFLAGS) \"$(SRCDIR)\\c.c\"\n\n"},
        // No include directory in force: the option's place keeps its two blanks.
        {1, make_src("f.f90", 1, 0, 0, -1),
         "\n\"$(OBJDIR)\\f.obj\" : \"$(SRCDIR)\\f.f90\"\n"
         "\t$(FC) /c /Fo\"$(OBJDIR)\\f.obj\" /module:\"$(OBJDIR)\\\"  $(FFLAGS) "
         "\"$(SRCDIR)\\f.f90\"\n\n"},
        {1, make_src("c.c", 2, 0, 0, -1),
         "\n\"$(OBJDIR)\\c.obj\" : \"$(SRCDIR)\\c.c\"\n"
         "\t$(CC) /c /Fo\"$(OBJDIR)\\c.obj\"  $(CFLAGS) \"$(SRCDIR)\\c.c\"\n\n"},
        {2, make_src("f.f90", 1, 0, 1, 1),
         "\n\"$(OBJDIR)\\f.obj\" : \"$(SRCDIR)\\f.f90\"\n"
         "\t$(FC) -c -o \"$(OBJDIR)\\f.obj\" -I$(INCDIR1) $(FFLAGS) \"$(SRCDIR)\\f.f90\"\n\n"},
        {2, make_src("c.c", 2, 0, 0, -1),
         "\n\"$(OBJDIR)\\c.obj\" : \"$(SRCDIR)\\c.c\"\n"
         "\t$(CC) -c -o \"$(OBJDIR)\\c.obj\"  $(CFLAGS) \"$(SRCDIR)\\c.c\"\n\n"},
    };
    for (const auto& c : cases) {
        written w = run([&](std::FILE* fp) { return output_srcs(c.flavour, fp, &c.row, 1); });
        SCOPED_TRACE(c.text);
        EXPECT_EQ(w.result, 4);
        EXPECT_EQ(w.text, c.text);
    }
}

// The compile line of a Fortran source with include option, from the makefile's own text.
std::string fortran_compile_line(const std::string& stem, const std::string& ext) {
    return "\t$(FC) /c /Fo\"$(OBJDIR)\\" + stem + ".obj\" /module:\"$(OBJDIR)\\\" " +
           "/I\"$(INCDIR)\" $(FFLAGS) \"$(SRCDIR)\\" + stem + "." + ext + "\"";
}

TEST(OutputSrcs, CompileLineOf131IsWrittenAnd132Fails) {
    // Stem and extension chosen so that the line is exactly 131 and 132 characters long.
    std::string stem(21, 's');
    ASSERT_EQ(fortran_compile_line(stem, "f").size(), 131u);
    ASSERT_EQ(fortran_compile_line(stem, "f9").size(), 132u);

    srctab_row fits = make_src(stem + ".f");
    written ok = run([&](std::FILE* fp) { return output_srcs(1, fp, &fits, 1); });
    EXPECT_EQ(ok.result, 4);
    EXPECT_NE(ok.text.find(fortran_compile_line(stem, "f") + "\n\n"), std::string::npos);
    EXPECT_EQ(ok.out + ok.err, "");

    srctab_row too_long[] = {make_src("a.f"), make_src(stem + ".f9"), make_src("z.f")};
    written w = run([&](std::FILE* fp) { return output_srcs(1, fp, too_long, 3); });
    EXPECT_EQ(w.result, -1);
    // The dependency line of the failing source stays written; nothing comes after it.
    std::string dep = "\"$(OBJDIR)\\" + stem + ".obj\" : \"$(SRCDIR)\\" + stem + ".f9\"\n";
    std::string first =
        "\n\"$(OBJDIR)\\a.obj\" : \"$(SRCDIR)\\a.f\"\n" + fortran_compile_line("a", "f") + "\n";
    EXPECT_EQ(w.text, first + "\n" + dep);
    EXPECT_EQ(w.out,
              "#ERROR#  output_srcs  buf size over flow src=[\"$(SRCDIR)\\" + stem + ".f9\"]\n");
    EXPECT_EQ(w.err, "#ERROR#  buf size over flow\n");
}

TEST(OutputSrcs, TargetAndSourceTooLongTogether) {
    // Edited object 16 + stem, edited source 13 + stem + extension: 7 more must stay under 132.
    srctab_row row = make_src(std::string(48, 'q') + ".f90");
    written w = run([&](std::FILE* fp) { return output_srcs(1, fp, &row, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.text, "\n");
    std::string obj = "\"$(OBJDIR)\\" + std::string(48, 'q') + ".obj\"";
    std::string src = "\"$(SRCDIR)\\" + std::string(48, 'q') + ".f90\"";
    EXPECT_EQ(w.out,
              "#ERROR#  output_srcs  buf size over flow obj=[" + obj + "], src=[" + src + "]\n");
    EXPECT_EQ(w.err, "#ERROR#  buf size over flow\n");
}

TEST(OutputSrcs, BothEditedNamesReportBeforeTheRuleEnds) {
    srctab_row row = make_src(std::string(130, 'z'));
    written w = run([&](std::FILE* fp) { return output_srcs(1, fp, &row, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.err, "#ERROR#  too long source file name\n#ERROR#  too long source file name\n");
}

TEST(OutputSrcs, PrerequisitesContinueOnTabbedLines) {
    // "$(OBJDIR)\a.obj" : "$(SRCDIR)\a.f90" is 37 characters; an include edits to 12 + name.
    struct {
        int name_lens[2];
        int names;
        const char* placement; // per include: s on the same line, c on a continuation line
    } cases[] = {
        {{77, 0}, 1, "s"}, // 37 + 89 + 3 = 129: stays on the line
        {{78, 0}, 1, "c"}, // 130: the very first prerequisite opens a continuation line
        {{116, 116}, 2, "cc"},
        {{10, 10}, 2, "ss"},
    };
    for (const auto& c : cases) {
        project_tables p;
        srctab_row& row = p.add_src(make_src("a.f90"));
        for (int i = 0; i < c.names; ++i) {
            p.inc[i] = make_inc(std::string(c.name_lens[i], static_cast<char>('h' + i)));
            p.add_include(row, &p.inc[i]);
        }
        written w = run([&](std::FILE* fp) { return output_srcs(1, fp, p.src, 1); });
        SCOPED_TRACE(c.placement);
        int continued = 0;
        for (int i = 0; i < c.names; ++i)
            continued += c.placement[i] == 'c';
        ASSERT_EQ(w.result, continued + 4);
        EXPECT_EQ(w.out + w.err, "");

        std::string expected = "\n\"$(OBJDIR)\\a.obj\" : \"$(SRCDIR)\\a.f90\"";
        for (int i = 0; i < c.names; ++i) {
            std::string inc =
                "\"$(INCDIR)\\" + std::string(c.name_lens[i], static_cast<char>('h' + i)) + "\"";
            expected += c.placement[i] == 'c' ? " \\\n\t" + inc : " " + inc;
        }
        expected += "\n" + fortran_compile_line("a", "f90") + "\n\n";
        EXPECT_EQ(w.text, expected);
        // A continued line may reach the makefile's bound, never pass it.
        std::size_t start = 0;
        for (std::size_t end; (end = w.text.find('\n', start)) != std::string::npos;
             start = end + 1)
            EXPECT_LE(end - start, 131u);
    }
}

TEST(OutputSrcs, TooLongIncludeNameEndsTheWriter) {
    project_tables p;
    srctab_row& row = p.add_src(make_src("a.f90"));
    p.inc[0] = make_inc(std::string(117, 'i'));
    p.add_include(row, &p.inc[0]);
    written w = run([&](std::FILE* fp) { return output_srcs(1, fp, p.src, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.text, "\n");
    EXPECT_EQ(w.err, "#ERROR#  too long source include name\n");
}

// The dependency line written for the last source of p.
std::string dependency_of_last(project_tables& p) {
    written w = run([&](std::FILE* fp) { return output_srcs(1, fp, p.src, p.src_cnt); });
    EXPECT_GT(w.result, 0);
    std::size_t tab = w.text.rfind("\n\t$(FC)");
    std::size_t start = w.text.rfind("\n\n", tab) + 2;
    return w.text.substr(start, tab - start);
}

TEST(OutputSrcs, ModuleObjectsAreListedOncePerDefiningSource) {
    project_tables p;
    srctab_row& lib = p.add_src(make_src("lib.f90"));
    srctab_row& other = p.add_src(make_src("other.f90"));
    srctab_row& user = p.add_src(make_src("user.f90"));
    p.mod[0] = make_mod("m1", &lib);
    p.mod[1] = make_mod("m2", &lib);
    p.mod[2] = make_mod("m3", &lib);
    p.mod[3] = make_mod("o", &other);
    p.add_use(user, &p.mod[0]);
    p.add_use(user, &p.mod[3]);
    p.add_use(user, &p.mod[1]);
    p.add_use(user, &p.mod[2]);
    EXPECT_EQ(
        dependency_of_last(p),
        R"("$(OBJDIR)\user.obj" : "$(SRCDIR)\user.f90" "$(OBJDIR)\lib.obj" "$(OBJDIR)\other.obj")");
}

TEST(OutputSrcs, DefiningSourcesAreComparedByName) {
    // Two sources of one name in two directories make one object file: listed once.
    project_tables p;
    srctab_row& first = p.add_src(make_src("util.f90", 1, 0));
    srctab_row& second = p.add_src(make_src("util.f90", 1, 1));
    srctab_row& user = p.add_src(make_src("user.f90"));
    p.mod[0] = make_mod("a", &first);
    p.mod[1] = make_mod("b", &second);
    p.add_use(user, &p.mod[0]);
    p.add_use(user, &p.mod[1]);
    EXPECT_EQ(dependency_of_last(p),
              R"("$(OBJDIR)\user.obj" : "$(SRCDIR)\user.f90" "$(OBJDIR)\util.obj")");
}

TEST(OutputSrcs, CompilerModuleIsSkippedAndOwnModuleListsOwnObject) {
    project_tables p;
    srctab_row& lib = p.add_src(make_src("lib.f90"));
    srctab_row& self = p.add_src(make_src("self.f90"));
    p.mod[0] = make_mod("iso_c_binding", nullptr);
    p.mod[1] = make_mod("own", &self);
    p.mod[2] = make_mod("l", &lib);
    p.inc[0] = make_inc("c.inc");
    p.add_include(self, &p.inc[0]);
    p.add_use(self, &p.mod[0]);
    p.add_use(self, &p.mod[1]);
    p.add_use(self, &p.mod[2]);
    EXPECT_EQ(
        dependency_of_last(p),
        R"("$(OBJDIR)\self.obj" : "$(SRCDIR)\self.f90" "$(INCDIR)\c.inc" "$(OBJDIR)\self.obj" "$(OBJDIR)\lib.obj")");
}

TEST(OutputSrcs, LongModuleListsListEachDefiningSourceOnceInFirstOrder) {
    // Lists short and long (the writer keeps a set for long ones), with defining sources of
    // one name in two directories, repeated modules and compiler-provided modules.
    struct {
        int uses;
        int sources;
    } cases[] = {{16, 5}, {17, 5}, {40, 40}, {300, 23}};
    for (const auto& c : cases) {
        std::vector<srctab_row> src;
        src.reserve(c.sources + 1);
        for (int i = 0; i < c.sources; ++i)
            src.push_back(make_src("d" + std::to_string(i / 2) + ".f90", 1, i % 2));
        src.push_back(make_src("user.f90"));
        std::vector<modtab_row> mod;
        mod.reserve(c.uses);
        std::vector<rmodtab_row> rmod;
        rmod.reserve(c.uses);
        std::vector<std::string> expected_objs;
        for (int k = 0; k < c.uses; ++k) {
            int def = (k * 7 + k / 3) % (c.sources + 1); // c.sources: a compiler module
            srctab_row* source = def < c.sources ? &src[def] : nullptr;
            mod.push_back(make_mod(("m" + std::to_string(k)).c_str(), source));
            rmod.push_back(rmodtab_row{k + 1, &mod.back(), &src.back()});
            if (source == nullptr) continue;
            std::string obj = "d" + std::to_string(def / 2) + ".obj";
            bool listed = false;
            for (const std::string& o : expected_objs)
                listed = listed || o == obj;
            if (!listed) expected_objs.push_back(obj);
        }
        src.back().rmod1 = rmod.data();
        src.back().rmod_cnt = c.uses;
        written w = run([&](std::FILE* fp) { return output_srcs(1, fp, &src.back(), 1); });
        ASSERT_GT(w.result, 0) << c.uses;
        std::string listed;
        for (std::size_t at = 0; (at = w.text.find("$(OBJDIR)\\d", at)) != std::string::npos;) {
            std::size_t end = w.text.find('"', at);
            listed += w.text.substr(at + 10, end - at - 10) + " ";
            at = end;
        }
        std::string expected;
        for (const std::string& o : expected_objs)
            expected += o + " ";
        EXPECT_EQ(listed, expected) << c.uses;
    }
}

TEST(OutputSrcs, NamesWithBlanksStayBetweenTheQuotes) {
    project_tables p;
    srctab_row& lib = p.add_src(make_src("my lib.f90"));
    srctab_row& prog = p.add_src(make_src("my prog.f90"));
    p.mod[0] = make_mod("m", &lib);
    p.inc[0] = make_inc("a b.inc");
    p.add_include(prog, &p.inc[0]);
    p.add_use(prog, &p.mod[0]);
    EXPECT_EQ(
        dependency_of_last(p),
        R"("$(OBJDIR)\my prog.obj" : "$(SRCDIR)\my prog.f90" "$(INCDIR)\a b.inc" "$(OBJDIR)\my lib.obj")");
}

#ifndef _WIN32
// (POSIX only: a forked child. On Windows the end-to-end tests write the whole makefile
// through the real program.)
// ---------------------------------------------------------------------------------------
// The writer's driver, on standard output redirected in a child process

struct child_run {
    int result;
    std::string text;
};

// Runs write_makefile on the worked example with standard output sent to path; the child's
// exit status carries the result.
child_run write_in_child(const char* path, const char* read_back) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (std::freopen(path, "w", stdout) == nullptr) _exit(200);
        worked_example p;
        int result = write_makefile(0, 4, incdir_table, 0, 4, srcdir_table, p.src, 2);
        _exit(result < 0 ? 255 : result);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    child_run r{-2, ""};
    if (WIFEXITED(status)) r.result = WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
    if (read_back != nullptr) {
        if (std::FILE* fp = std::fopen(read_back, "r")) {
            char buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0)
                r.text.append(buf, n);
            std::fclose(fp);
        }
    }
    return r;
}

TEST(WriteMakefile, WritesTheWholeMakefileToStandardOutput) {
    char path[] = "/tmp/zk_writer_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    child_run r = write_in_child(path, path);
    std::remove(path);
    EXPECT_EQ(r.result, 34);
    EXPECT_EQ(r.text, worked_makefile);
}

TEST(WriteMakefile, WriteErrorOnStandardOutputIsAFailure) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    child_run r = write_in_child("/dev/full", nullptr);
    EXPECT_EQ(r.result, -1);
}
#endif

} // namespace
