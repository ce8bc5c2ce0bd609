// Hand-built project tables and capture helpers shared by the writer's tests.
#pragma once

#include "captured_output.hpp"
#include "writer.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// What one writing routine did: its result, the out stream (the makefile text with the
// detail lines where they were met) and the err stream (summaries).
struct written {
    int result;
    std::string out;
    std::string err;
};

template <typename F> inline written run(F write) {
    captured_output streams;
    int result = write();
    std::string out = streams.take_out();
    return written{result, out, streams.take_err()};
}

// The writer's storage for lines of at most line_max chars and up to 300 module references.
struct writer_room {
    writer_storage w;
    explicit writer_room(int line_max = makefile_line_max) { take_writer(w, line_max, 300); }
};

// One storage with the makefile's own bounds for the tests that need no other; its set of
// listed sources is empty again after every rule.
inline writer_storage& wr() {
    static writer_room room;
    return room.w;
}

// Room for any edited name.
constexpr int edited_room = 600;

inline srctab_row make_src(const std::string& name, int lang = 1, int srcdir_no = 0,
                           int incdir_no = 0, int inctype = 1, int flg_prog = 0) {
    srctab_row row{};
    row.srcdir_no = srcdir_no;
    row.incdir_no = incdir_no;
    row.inctype = inctype;
    row.lang = lang;
    row.flg_prog = flg_prog;
    std::snprintf(row.name, sizeof row.name, "%s", name.c_str());
    return row;
}

inline inctab_row make_inc(const std::string& name, int incdir_no = 0) {
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

inline modtab_row make_mod(const char* name, srctab_row* source) {
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

inline constexpr char worked_makefile[] = R"mk(CC=cl.exe
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
inline constexpr char incdir_table[] = "inc";
inline constexpr char srcdir_table[] = "src";

inline int line_count(const std::string& text) {
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}
