// The project tables: fixed-capacity arrays allocated once by the driver, filled by the scan,
// read by the writer. Rows never move, so rows refer to each other by address for the whole run.
#pragma once

#include "codes.hpp"
#include "limits.hpp"
#include "row_index.hpp"

#include <string_view>

struct rmodtab_row;
struct refinctab_row;

// The capacities of the run: the defaults, or what the driver's leading options set before
// anything is allocated. The first five size the project tables.
struct capacities {
    int mxsrc = default_mxsrc;
    int mxinc = default_mxinc;
    int mxrinc = default_mxrinc;
    int mxmod = default_mxmod;
    int mxrmod = default_mxrmod;
    int mxline = makefile_line_max; // the longest makefile line
    int mxname = unit_name_max;     // the longest module, used-module and program name
};

// Names that the project's own sources do not provide (-X options): modules, compared
// ignoring ASCII letter case, and include files, compared exactly as the include statement
// writes them. names holds count NUL-terminated names.
struct external_names {
    const char* const* names = nullptr;
    int count = 0;
};

// Whether name is a module named in ext (letter case ignored).
bool is_external_module(const external_names& ext, std::string_view name);
// Whether name is an include file named in ext (exact text).
bool is_external_include(const external_names& ext, std::string_view name);

// The kinds of classified argument (argtab_row::type), which are also the include mode they
// set: after a bare -I every source is its own include directory, after -Idir that one is.
constexpr int argtype_bare_include = -1; // "-I"
constexpr int argtype_include = 1;       // "-Idir"
constexpr int argtype_source = 2;        // a source file or wildcard pattern

// Where the include files of a source are looked for (srctab_row and inctab_row::inctype).
constexpr int inctype_own_dir = -1; // the source's own directory
constexpr int inctype_incdir = 1;   // the -I directory in force

// One classified command-line argument. type: one of argtype_*.
struct argtab_row {
    int no;
    int type;
    int incdir_no;
    int srcdir_no;
    int srcfil_no;
};

struct srctab_row {
    int no;
    int srcdir_no;
    int incdir_no;
    int inctype;        // inctype_own_dir or inctype_incdir
    rmodtab_row* rmod1; // first of rmod_cnt consecutive module references
    int rmod_cnt;
    refinctab_row* rinc1; // first of rinc_cnt consecutive include references
    int rinc_cnt;
    int line_cnt;
    int incline_cnt;
    int lang; // lang_fortran or lang_c
    int flg_prog;
    char name[src_name_size];
};

struct inctab_row {
    int no;
    int inctype;
    int incdir_no;
    int flg_ref;        // read for the source now being processed: the scan stores its
                        // per-source generation here, so a new source clears all at once
    inctab_row* parent; // where the entry was first met; null for a source file
    inctab_row* next;
    inctab_row* child;
    char name[inc_name_size];
};

struct refinctab_row {
    int no;
    inctab_row* include;
    srctab_row* source;
};

struct modtab_row {
    int no;
    srctab_row* source; // the defining source; null while the module is only used
    char name[mod_name_size];
};

struct rmodtab_row {
    int no;
    modtab_row* module;
    srctab_row* source;
};

// The lookups beside the include and module tables, so that find-or-add and the reference
// lookups take constant time however large a run grows. They never change what the tables
// hold, in which order, or what is reported.
struct table_index {
    row_index inc;                          // include rows by name, inctype and incdir_no
    inctab_row** inc_last_child = nullptr;  // per include row: its last child
    refinctab_row** inc_last_ref = nullptr; // per include row: its latest reference
    row_index mod;                          // module rows by name, letter case ignored
    rmodtab_row** mod_last_ref = nullptr;   // per module row: its latest reference
};

// The five project tables with their capacities, counts and index. The driver owns the
// storage; the scan works on a copy of the counts and hands them back only on success.
// Include, module and reference rows are added only through the operations below, which keep
// the index.
struct project {
    capacities cap;
    external_names ext;
    srctab_row* srctab = nullptr;
    int src = 0;
    inctab_row* inctab = nullptr;
    int inc = 0;
    refinctab_row* refinctab = nullptr;
    int rinc = 0;
    modtab_row* modtab = nullptr;
    int mod = 0;
    rmodtab_row* rmodtab = nullptr;
    int rmod = 0;
    table_index index;
};

// The storage behind a project's tables and index.
struct project_storage {
    table_storage<srctab_row> srctab;
    table_storage<inctab_row> inctab;
    table_storage<refinctab_row> refinctab;
    table_storage<modtab_row> modtab;
    table_storage<rmodtab_row> rmodtab;
    row_index_storage inc_index;
    table_storage<inctab_row*> inc_last_child;
    table_storage<refinctab_row*> inc_last_ref;
    row_index_storage mod_index;
    table_storage<rmodtab_row*> mod_last_ref;
};

// Takes the five tables and their index at the capacities p.cap into s and points p at them,
// every count 0. False after the allocation report of the first that could not be had.
bool take_project(project& p, project_storage& s);

// Address of row no of a name table of the given row width. A negative no is reported
// (a warning) and gives row 0.
char* mprc_table_add(char* table, int width, int no);

// Joins in1, mark and in2 into filename (room for path_size chars); an empty in1 gives in2.
// Returns -1 with an empty filename and a detail line when the result would not fit.
int mprc_filename(char* filename, const char* in1, const char* in2, char mark);

// Finds the include entry for (name, inctype, incdir_no), first in table order, or adds it
// at the end and links it under parent when nest is 1. Null on overflow, reported.
inctab_row* build_inctab(int nest, inctab_row* parent, project& p, int inctype, int incdir_no,
                         std::string_view name);

// Appends entry, the newest row of p, as the last child of parent when nest is 1. Returns 0.
int build_inctab_link(int nest, inctab_row* parent, inctab_row* entry, project& p);

// Finds the module entry whose name equals name ignoring ASCII letter case, or adds it.
// kind "use" adds a use; any other kind is a definition, which fills a missing source or
// reports a double definition (the first stays; not a failure). Null on overflow, reported.
modtab_row* build_modtab(std::string_view kind, project& p, std::string_view name,
                         srctab_row* source);

// Finds the source's own reference to entry, or adds one. Never touches the source row.
// Null on overflow, reported.
refinctab_row* build_refinctab(inctab_row* entry, project& p, srctab_row* source);
// The same for the source's reference to module in the rmodule table.
rmodtab_row* build_rmodtab(modtab_row* module, project& p, srctab_row* source);

// True for the modules a Fortran compiler provides itself (ISO_C_BINDING, OMP_LIB, ...),
// compared ignoring ASCII letter case. Such a module needs no defining source.
bool is_compiler_module(std::string_view name);
