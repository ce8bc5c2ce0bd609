// The makefile writer's compile rules on hand-built tables: edited source and include names,
// dependency lines and their continuation, module objects, compile lines in both flavours.
#include "writer_fixtures.hpp"

#include <cstring>
#include <string>

namespace {

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
        {2147483647, "x.c", 132, R"("$(SRCDIR2147483647)\x.c")"},
        {0, std::string(119, 'n'), 132, "\"$(SRCDIR)\\" + std::string(119, 'n') + "\""},
        {0, std::string(120, 'n'), 132, ""},
    };
    for (const auto& c : cases) {
        srctab_row row = make_src(c.name, 1, c.dir_no);
        char result[edited_room];
        written w = run([&] { return output_edit_src(result, c.limit, &row); });
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
        char result[edited_room];
        written w = run([&] { return output_edit_inc(result, 129, &entry); });
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
    writer_room room;
    captured_output streams;
    int header = output_header(1, wr(), 0, 4, incdir_table, 0, 4, srcdir_table, p.src, 2);
    int objs = output_objs(1, wr(), p.src, 2);
    int link = output_link(1, wr());
    int srcs = output_srcs(1, room.w, p.src, 2);
    EXPECT_EQ(streams.take_err(), "");
    EXPECT_EQ(header, 15);
    EXPECT_EQ(objs, 9);
    EXPECT_EQ(link, 3);
    EXPECT_EQ(srcs, 7);
    std::string text = streams.take_out();
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
    writer_room room;
    for (const auto& c : cases) {
        written w = run([&] { return output_srcs(c.flavour, room.w, &c.row, 1); });
        SCOPED_TRACE(c.text);
        EXPECT_EQ(w.result, 4);
        EXPECT_EQ(w.out, c.text);
    }
}

// The compile line of a Fortran source with include option, from the makefile's own text.
std::string fortran_compile_line(const std::string& stem, const std::string& ext) {
    return "\t$(FC) /c /Fo\"$(OBJDIR)\\" + stem + ".obj\" /module:\"$(OBJDIR)\\\" " +
           "/I\"$(INCDIR)\" $(FFLAGS) \"$(SRCDIR)\\" + stem + "." + ext + "\"";
}

void expect_compile_line_bound(int line_max);

TEST(OutputSrcs, CompileLineOfTheLongestLengthIsWrittenAndOneMoreFails) {
    // Stem and extension chosen so that the line is exactly as long as the bound, and one
    // more: the makefile's own 131 and a longer bound the run chose.
    for (int line_max : {131, 301}) {
        SCOPED_TRACE(line_max);
        expect_compile_line_bound(line_max);
    }
}

void expect_compile_line_bound(int line_max) {
    std::string stem((line_max - 89) / 2, 's'); // the name stands twice in the line
    ASSERT_EQ(fortran_compile_line(stem, "f").size(), std::size_t(line_max));
    ASSERT_EQ(fortran_compile_line(stem, "f9").size(), std::size_t(line_max) + 1);

    writer_room room(line_max);
    srctab_row fits = make_src(stem + ".f");
    written ok = run([&] { return output_srcs(1, room.w, &fits, 1); });
    EXPECT_EQ(ok.result, 4);
    EXPECT_NE(ok.out.find(fortran_compile_line(stem, "f") + "\n\n"), std::string::npos);
    EXPECT_EQ(ok.err, "");

    srctab_row too_long[] = {make_src("a.f"), make_src(stem + ".f9"), make_src("z.f")};
    written w = run([&] { return output_srcs(1, room.w, too_long, 3); });
    EXPECT_EQ(w.result, -1);
    // The dependency line of the failing source stays written, then the report; nothing
    // comes after it.
    std::string dep = "\"$(OBJDIR)\\" + stem + ".obj\" : \"$(SRCDIR)\\" + stem + ".f9\"\n";
    std::string first =
        "\n\"$(OBJDIR)\\a.obj\" : \"$(SRCDIR)\\a.f\"\n" + fortran_compile_line("a", "f") + "\n";
    EXPECT_EQ(w.out, first + "\n" + dep +
                         "#ERROR#  output_srcs  buf size over flow src=[\"$(SRCDIR)\\" + stem +
                         ".f9\"]\n");
    EXPECT_EQ(w.err, "#ERROR#  buf size over flow\n");
}

TEST(OutputSrcs, TargetAndSourceTooLongTogether) {
    // Edited object 16 + stem, edited source 13 + stem + extension: 7 more must stay under 132.
    srctab_row row = make_src(std::string(48, 'q') + ".f90");
    writer_room room;
    written w = run([&] { return output_srcs(1, room.w, &row, 1); });
    EXPECT_EQ(w.result, -1);
    std::string obj = "\"$(OBJDIR)\\" + std::string(48, 'q') + ".obj\"";
    std::string src = "\"$(SRCDIR)\\" + std::string(48, 'q') + ".f90\"";
    EXPECT_EQ(w.out,
              "\n#ERROR#  output_srcs  buf size over flow obj=[" + obj + "], src=[" + src + "]\n");
    EXPECT_EQ(w.err, "#ERROR#  buf size over flow\n");
}

TEST(OutputSrcs, BothEditedNamesReportBeforeTheRuleEnds) {
    srctab_row row = make_src(std::string(130, 'z'));
    writer_room room;
    written w = run([&] { return output_srcs(1, room.w, &row, 1); });
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
    writer_room room;
    for (const auto& c : cases) {
        project_tables p;
        srctab_row& row = p.add_src(make_src("a.f90"));
        for (int i = 0; i < c.names; ++i) {
            p.inc[i] = make_inc(std::string(c.name_lens[i], static_cast<char>('h' + i)));
            p.add_include(row, &p.inc[i]);
        }
        written w = run([&] { return output_srcs(1, room.w, p.src, 1); });
        SCOPED_TRACE(c.placement);
        int continued = 0;
        for (int i = 0; i < c.names; ++i)
            continued += c.placement[i] == 'c';
        ASSERT_EQ(w.result, continued + 4);
        EXPECT_EQ(w.err, "");

        std::string expected = "\n\"$(OBJDIR)\\a.obj\" : \"$(SRCDIR)\\a.f90\"";
        for (int i = 0; i < c.names; ++i) {
            std::string inc = std::string("\"$(INCDIR)\\") +
                              std::string(c.name_lens[i], static_cast<char>('h' + i)) + "\"";
            expected += c.placement[i] == 'c' ? " \\\n\t" : " ";
            expected += inc;
        }
        expected += '\n';
        expected += fortran_compile_line("a", "f90");
        expected += "\n\n";
        EXPECT_EQ(w.out, expected);
        // A continued line may reach the makefile's bound, never pass it.
        std::size_t start = 0;
        for (std::size_t end; (end = w.out.find('\n', start)) != std::string::npos; start = end + 1)
            EXPECT_LE(end - start, 131u);
    }
}

TEST(OutputSrcs, TooLongIncludeNameEndsTheWriter) {
    project_tables p;
    srctab_row& row = p.add_src(make_src("a.f90"));
    p.inc[0] = make_inc(std::string(117, 'i'));
    p.add_include(row, &p.inc[0]);
    writer_room room;
    written w = run([&] { return output_srcs(1, room.w, p.src, 1); });
    EXPECT_EQ(w.result, -1);
    EXPECT_EQ(w.out, "\n#ERROR#  too long include file name =[" + std::string(117, 'i') + "]\n");
    EXPECT_EQ(w.err, "#ERROR#  too long source include name\n");
}

// The dependency line written for the last source of p.
std::string dependency_of_last(project_tables& p) {
    writer_room room;
    written w = run([&] { return output_srcs(1, room.w, p.src, p.src_cnt); });
    EXPECT_GT(w.result, 0);
    std::size_t tab = w.out.rfind("\n\t$(FC)");
    std::size_t start = w.out.rfind("\n\n", tab) + 2;
    return w.out.substr(start, tab - start);
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
    // Lists short and long, with defining sources of one name in two directories, repeated
    // modules and compiler-provided modules; one storage for all, as in a run.
    struct {
        int uses;
        int sources;
    } cases[] = {{16, 5}, {17, 5}, {40, 40}, {300, 23}, {17, 5}};
    writer_room room;
    for (const auto& c : cases) {
        std::vector<srctab_row> src;
        src.reserve(c.sources + 1);
        for (int i = 0; i < c.sources; ++i)
            src.push_back(make_src(std::string("d") + std::to_string(i / 2) + ".f90", 1, i % 2));
        src.push_back(make_src("user.f90"));
        std::vector<modtab_row> mod;
        mod.reserve(c.uses);
        std::vector<rmodtab_row> rmod;
        rmod.reserve(c.uses);
        std::vector<std::string> expected_objs;
        for (int k = 0; k < c.uses; ++k) {
            int def = (k * 7 + k / 3) % (c.sources + 1); // c.sources: a compiler module
            srctab_row* source = def < c.sources ? &src[def] : nullptr;
            mod.push_back(make_mod((std::string("m") + std::to_string(k)).c_str(), source));
            rmod.push_back(rmodtab_row{k + 1, &mod.back(), &src.back()});
            if (source == nullptr) continue;
            std::string obj = std::string("d") + std::to_string(def / 2) + ".obj";
            bool listed = false;
            for (const std::string& o : expected_objs)
                listed = listed || o == obj;
            if (!listed) expected_objs.push_back(obj);
        }
        src.back().rmod1 = rmod.data();
        src.back().rmod_cnt = c.uses;
        written w = run([&] { return output_srcs(1, room.w, &src.back(), 1); });
        ASSERT_GT(w.result, 0) << c.uses;
        std::string listed;
        for (std::size_t at = 0; (at = w.out.find("$(OBJDIR)\\d", at)) != std::string::npos;) {
            std::size_t end = w.out.find('"', at);
            listed += w.out.substr(at + 10, end - at - 10) + " ";
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

} // namespace
