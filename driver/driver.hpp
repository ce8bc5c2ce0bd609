// The run driver and its argument routines.
#pragma once

#include "tables.hpp"

#include <cstddef>

// The command line in classified form: argtab and the three name tables, all rows width
// chars wide, with the last row in use of each name table (-1: none).
struct arg_tables {
    argtab_row* argtab = nullptr;
    int argcnt = 0;
    int width = 0;
    char* incdir = nullptr;
    int incdir_last = -1;
    char* srcdir = nullptr;
    int srcdir_last = -1;
    char* srcfil = nullptr;
    int srcfil_last = -1;
    const char** extnam = nullptr; // the names of the -X options, in command-line order
    int ext_cnt = 0;
};

// Length of the longest of argv[0] to argv[argc - 1]. Reports nothing.
std::size_t longest_argument(int argc, char** argv);

// Splits a source argument into its directory part (srcdir row) and file part (srcfil
// row). Returns -1, after the "not file" line on standard error, when it ends with a
// separator; otherwise 0.
int mprc_argsrc(const char* argument, char* srcdir_row, char* srcfil_row);

// Takes the directory out of an -I argument into the incdir row. -1 (reported) when the
// argument has fewer than three characters; otherwise 0.
int mprc_arginc(const char* argument, char* incdir_row);

// Sets the capacities to their defaults, then reads the leading options into them: the five
// table sizes, the longest makefile line and the longest module name (at most
// unit_name_limit). Returns the position of the first argument to classify, or -1 after
// reporting an invalid value (usage text included). Never allocates.
int mprc_options(int argc, char** argv, capacities& cap);

// Classifies argv[first] to argv[argc - 1] into t, whose five tables have at least
// argc + 3 rows; a -Xname option adds name to t.extnam, wherever it stands. 0 when at least one
// source was classified; 1 when the usage text was asked for; -1 after a report. The usage text has
// been printed whenever the result is not 0.
int mprc_classify(int first, int argc, char** argv, arg_tables& t);

// The whole run: options, allocation, classification, scan, module check, makefile,
// release. Returns 0 after a complete makefile, 1 when only the usage text was asked for,
// -1 after any failure (reported).
int mprc(int width_base, int argc, char** argv);
