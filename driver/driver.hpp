// The run driver and its argument routines.
#pragma once

// Splits a source argument into its directory part (srcdir row) and file part (srcfil
// row). Returns -1, after the "not file" line on standard error, when it ends with a
// separator; otherwise 0.
int mprc_argsrc(const char* argument, char* srcdir_row, char* srcfil_row);

// Takes the directory out of an -I argument into the incdir row. -1 (reported) when the
// argument has fewer than three characters; otherwise 0.
int mprc_arginc(const char* argument, char* incdir_row);

// The whole run: options, allocation, classification, scan, module check, makefile,
// release. Returns 0 after a complete makefile, 1 when only the usage text was asked for,
// -1 after any failure (reported).
int mprc(int width_base, int argc, char** argv);
