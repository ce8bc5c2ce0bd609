// The scan: expands the source arguments into files and reads each file with its includes
// into the project tables.
#pragma once

#include "tables.hpp"

// Walks argtab in order and processes every source file, wildcards expanded in sorted
// order. Stops at the first failure (reported). The counts in p are written back only on
// success. Returns 0 or -1. Each include file is read once per run and replayed for later
// sources, each directory that wildcards name is listed once, and the tables are searched
// through an index: the tables and reports are those of reading every include file for
// every source and scanning the directory for every pattern.
int build(int argcnt, const argtab_row* argtab, int incdir_width, char* incdir, int srcdir_width,
          char* srcdir, int srcfil_width, char* srcfil, project& p);

// What every file of one source's include chain shares: how it is read, where its include
// files are found, and the source row that everything found is recorded against.
struct chain {
    int lang;           // lang_fortran or lang_c; lang_none for a source (decided from its name)
    int form;           // form_fixed or form_free: the source's, for every file of the chain
    int inctype;        // -1 or 1, as in the source row
    const char* incdir; // the include directory: include files are looked up there only
    int incdir_no;
    const char* srcdir; // the source's directory
    int srcdir_no;
    srctab_row* source; // for a source, the row just taken (p.src already counts it)
};

// Processes one source file (nest 0, parent null; the row, language and form are decided
// here from name) or one include file (nest 1, its own include entry as parent, read in the
// chain's language and form), with every include file it reaches, at any depth, read from
// disk. Nesting is bounded only by the include table and the files the process may open.
// Returns 0, or -1 after the report.
int build_file(int nest, const chain& c, const char* name, inctab_row* parent, project& p);
