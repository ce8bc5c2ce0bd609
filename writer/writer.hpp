// The makefile writer. Every routine takes the output flavour (flavour_cl: cl.exe/df.exe,
// any other value: gcc/g77), writes the makefile to the out stream, returns the number of
// makefile lines it wrote or -1, and reports through diag.hpp: its detail lines land in the
// makefile text where they were met.
#pragma once

#include "tables.hpp"

// The bounds of the makefile's lines and names, all following from the longest line (131
// unless the run says otherwise).
struct line_bounds {
    int line_max; // the longest makefile line
    int edit;     // an edited object or source name is shorter than this: line_max + 1
    int prereq;   // an edited prerequisite is shorter than this: line_max - 2
    int src_name; // the longest source name that gets an object name: line_max - 3
};

// The bounds that follow from a longest line of line_max (at least 1) characters.
line_bounds bounds_for(int line_max);

// What the writer needs beyond the tables, taken once with them: its bounds, room for a
// dependency line being filled, and the set of defining sources already listed in one
// dependency rule, for as many module references as a run may hold.
struct writer_storage {
    line_bounds b;
    table_storage<char> dep_line;
    row_index seen;
    row_index_storage seen_rows;
    std::uint32_t seen_mask = 0; // the buckets the set was taken with
};

// Takes the writer's storage for lines of at most line_max chars and mxrmod module
// references. False after the allocation report.
bool take_writer(writer_storage& w, int line_max, int mxrmod);

// Writes text and a newline; a text over w.b.line_max chars is reported, cut and written,
// and gives -1. Otherwise 1.
int output_line(const writer_storage& w, const char* text);

// Writes an empty line. Returns 1.
int output_newline();

// Writes the macro section: toolchain, EXE, OBJDIR, one INCDIR and SRCDIR line per used
// directory row, ALL. Returns its line count, or -1 when a line was too long (the rest is
// still written).
int output_header(int flavour, const writer_storage& w, int incdir_last, int incdir_width,
                  const char* incdir, int srcdir_last, int srcdir_width, const char* srcdir,
                  const srctab_row* srctab, int src);

// "$(OBJDIR)\name-up-to-its-last-dot.obj" in quotes, shorter than limit; else -1 (reported)
// and an empty result. A name longer than w.b.src_name chars gets no object name.
int output_edit_obj(const writer_storage& w, char* result, int limit, const char* name);

// Writes the CLEAN rule and the OBJS list. Returns the line count, or -1 after the report
// of an object name that does not fit (the CLEAN rule is still closed by its empty line).
int output_objs(int flavour, const writer_storage& w, const srctab_row* srctab, int src);

// Writes the link rule, fixed lines only. Returns 3.
int output_link(int flavour, const writer_storage& w);

// "$(SRCDIRn)\name" of the row in quotes, shorter than limit: 0; else -1 (reported) and
// an empty result.
int output_edit_src(char* result, int limit, const srctab_row* row);

// "$(INCDIRn)\name" of the include entry in quotes, shorter than limit: 0; else -1
// (reported) and an empty result.
int output_edit_inc(char* result, int limit, const inctab_row* entry);

// Writes every source's dependency rule and compile command, in table order, and a closing
// empty line. Returns the line count, or -1 at the first reported fault (nothing after it
// is written).
int output_srcs(int flavour, writer_storage& w, const srctab_row* srctab, int src);

// Writes the whole makefile (flavour_cl) to the out stream and flushes it. Returns its line
// count, or -1 when a step failed or the stream reports a write error; what was written
// stays written.
int write_makefile(int incdir_last, int incdir_width, const char* incdir, int srcdir_last,
                   int srcdir_width, const char* srcdir, const srctab_row* srctab, int src,
                   writer_storage& w);
