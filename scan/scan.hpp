// The scan: expands the source arguments into files and reads each file with its includes
// into the project tables.
#pragma once

#include "tables.hpp"

// What the scan needs beyond the tables, taken with them: per include row and reading, the
// start of the statements the run's first reading of the file recorded.
struct scan_storage {
    table_storage<const char*> replays;
    int rows = 0;
};

// Takes the scan's storage for mxinc include rows. False after the allocation report.
bool take_scan(scan_storage& s, int mxinc);

// Walks argtab in order and processes every source file, wildcards expanded in sorted
// order. Stops at the first failure (reported). The counts in p are written back only on
// success. Returns 0 or -1. Each include file is read once per run in each language and form
// and its statements replayed for later sources, each directory that wildcards name is listed
// once, and the tables are searched through their index: the tables and reports are those of
// reading every include file for every source and scanning the directory for every pattern.
int build(int argcnt, const argtab_row* argtab, int incdir_width, char* incdir, int srcdir_width,
          char* srcdir, int srcfil_width, char* srcfil, project& p, scan_storage& s);
