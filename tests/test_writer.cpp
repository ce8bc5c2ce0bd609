// The makefile writer on hand-built tables: line output, the header, object names, the CLEAN
// rule, the object list and the link rule, and the driver on standard output.
#include "writer_fixtures.hpp"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

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
        written w = run([&] { return output_line(wr(), text.c_str()); });
        SCOPED_TRACE(c.len);
        EXPECT_EQ(w.result, c.result);
        const std::string line = std::string(c.written, 'x') + "\n";
        if (c.result == 1) {
            EXPECT_EQ(w.out, line);
            EXPECT_EQ(w.err, "");
        } else { // the report stands before the line it cut
            EXPECT_EQ(w.out, "#ERROR#  output_line  too long buf=[" + text + "]\n" + line);
            EXPECT_EQ(w.err, "#WARN#   \n");
        }
    }
}

TEST(OutputLine, NewlineIsOneEmptyLine) {
    written w = run([] { return output_newline(); });
    EXPECT_EQ(w.result, 1);
    EXPECT_EQ(w.out, "\n");
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
        written w = run([&] {
            return output_header(c.flavour, wr(), -1, 0, nullptr, -1, 0, nullptr, &row, 1);
        });
        SCOPED_TRACE(c.flavour);
        EXPECT_EQ(w.result, 15);
        EXPECT_EQ(w.out, c.text);
        EXPECT_EQ(w.err, "");
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
        written w = run(
            [&] { return output_header(1, wr(), -1, 0, nullptr, -1, 0, nullptr, rows, c.rows); });
        SCOPED_TRACE(c.exe);
        EXPECT_EQ(w.result, 15);
        EXPECT_NE(w.out.find(std::string("\n\n") + c.exe + "OBJDIR=.\n"), std::string::npos);
    }
}

TEST(OutputHeader, OneMacroPerDirectoryRow) {
    // Rows of width 8; the macro of row i carries i from the second row on.
    const char incdir[] = "inc\0\0\0\0\0../a b\0\0c:\\x\0\0\0";
    static_assert(sizeof incdir == 24);
    const char srcdir[] = "src\0\0\0\0\0";
    srctab_row row = make_src("a.f90");
    written w = run([&] { return output_header(1, wr(), 2, 8, incdir, 0, 8, srcdir, &row, 1); });
    EXPECT_EQ(w.result, 17);
    EXPECT_NE(w.out.find("OBJDIR=.\nINCDIR=inc\nINCDIR1=../a b\nINCDIR2=c:\\x\nSRCDIR=src\n\n"),
              std::string::npos);
}

TEST(OutputHeader, LongLineIsReportedAndTheRestStillWritten) {
    std::string dir(200, 'd');
    srctab_row row = make_src("a.f90");
    written w =
        run([&] { return output_header(1, wr(), -1, 0, nullptr, 0, 201, dir.c_str(), &row, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_NE(w.out.find("INCDIR=.\n#ERROR#  output_line  too long buf=[SRCDIR=" + dir +
                         "]\nSRCDIR=" + dir.substr(0, 124) + "\n\nALL : \"$(EXE)\"\n"),
              std::string::npos);
    EXPECT_EQ(w.err, "#WARN#   \n");
}

TEST(OutputHeader, LongestStorableNameGivesAReportedExeLine) {
    std::string name(src_name_size - 1, 'n');
    srctab_row row = make_src(name, 1, 0, 0, 1, 1);
    written w =
        run([&] { return output_header(1, wr(), -1, 0, nullptr, -1, 0, nullptr, &row, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_NE(w.out.find("\n#ERROR#  output_line  too long buf=[EXE=" + name +
                         ".exe]\nEXE=" + name.substr(0, 127) + "\nOBJDIR=.\n"),
              std::string::npos);
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
        char result[edited_room] = "junk";
        written w = run([&] { return output_edit_obj(wr(), result, c.limit, c.name.c_str()); });
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
        written objs = run([&] { return output_objs(c.flavour, wr(), rows, 2); });
        EXPECT_EQ(objs.result, 9);
        EXPECT_EQ(objs.out, c.objs);
        written link = run([&] { return output_link(c.flavour, wr()); });
        EXPECT_EQ(link.result, 3);
        EXPECT_EQ(link.out, c.link);
    }
}

TEST(OutputObjs, SingleSourceListLineIsNotContinued) {
    srctab_row row = make_src("solo");
    written w = run([&] { return output_objs(1, wr(), &row, 1); });
    EXPECT_EQ(w.result, 7);
    EXPECT_EQ(w.out,
              "\nCLEAN :\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\solo.obj\"\n\t-@$(ERASEOBJ) \"$(EXE)\"\n\n"
              "OBJS= \\\n\t\"$(OBJDIR)\\solo.obj\"\n");
}

TEST(OutputObjs, EraseLineHoldsEditedNamesUpTo114Characters) {
    // An object file name of 102 characters edits to 114; one more character fails.
    srctab_row fits[] = {make_src("a.f90"), make_src(std::string(98, 'x') + ".f90")};
    written ok = run([&] { return output_objs(1, wr(), fits, 2); });
    EXPECT_EQ(ok.result, 9);
    EXPECT_EQ(ok.err, "");

    srctab_row too_long[] = {make_src("a.f90"), make_src(std::string(99, 'x') + ".f90"),
                             make_src("c.f90")};
    written w = run([&] { return output_objs(1, wr(), too_long, 3); });
    EXPECT_EQ(w.result, -1);
    // What stays written: the rule's start, the erase lines before the fault, the report, and
    // the rule's empty line.
    EXPECT_EQ(w.out, "\nCLEAN :\n\t-@$(ERASEOBJ) \"$(OBJDIR)\\a.obj\"\n"
                     "#ERROR#  output_objs  buf size over flow name=[\"$(OBJDIR)\\" +
                         std::string(99, 'x') + ".obj\"]\n\n");
    EXPECT_EQ(w.err, "#ERROR#  buf size over flow\n");
}

TEST(OutputObjs, TooLongSourceNameEndsTheCleanRule) {
    srctab_row rows[] = {make_src(std::string(129, 'x') + ".f")};
    written w = run([&] { return output_objs(1, wr(), rows, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.out, "\nCLEAN :\n#ERROR#  too long source file name =[" + std::string(129, 'x') +
                         ".f]\n\n");
    EXPECT_EQ(w.err, "#ERROR#  too long source file name\n");
}

// ---------------------------------------------------------------------------------------
// The writer's driver, on the out stream

TEST(WriteMakefile, WritesTheWholeMakefile) {
    worked_example p;
    writer_room room;
    written w = run(
        [&] { return write_makefile(0, 4, incdir_table, 0, 4, srcdir_table, p.src, 2, room.w); });
    EXPECT_EQ(w.result, 34);
    EXPECT_EQ(w.out, worked_makefile);
}

#ifndef _WIN32
TEST(WriteMakefile, WriteErrorOnTheStreamIsAFailure) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    worked_example p;
    writer_room room;
    set_streams(full, stderr);
    int result = write_makefile(0, 4, incdir_table, 0, 4, srcdir_table, p.src, 2, room.w);
    set_streams(nullptr, nullptr);
    std::fclose(full);
    EXPECT_EQ(result, -1);
}
#endif

} // namespace
