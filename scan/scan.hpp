// The scan: expands the source arguments into files and reads each file with its includes
// into the project tables.
#pragma once

#include "tables.hpp"

// Walks argtab in order and processes every source file, wildcards expanded in sorted
// order. Stops at the first failure (reported). The counts in p are written back only on
// success. Returns 0 or -1. Each include file is read once per run and replayed for later
// sources, and the tables are searched through an index: the tables and reports are those
// of reading every include file for every source.
int build(int argcnt, const argtab_row* argtab, int incdir_width, char* incdir, int srcdir_width,
          char* srcdir, int srcfil_width, char* srcfil, project& p);

// Processes one source file (nest 0, lang 0, parent null; source is the row just taken and
// p.src already counts it) or one include file (nest 1, the including file's lang, its own
// include entry as parent). A Fortran file is read in its source's form, from the name in
// source (free for .f90, .f95, .f03 and .f08 in either letter case, fixed otherwise), include files
// at any depth alike. Include files are read on an explicit stack, so nesting depth is bounded only
// by the include table and the files the process may open. This entry reads every include file from
// disk; build goes through the run's cache instead. 0 or -1.
int build_file(int nest, int lang, int inctype, const char* incdir, const char* srcdir,
               const char* name, int incdir_no, int srcdir_no, srctab_row* source, project& p,
               inctab_row* parent);
