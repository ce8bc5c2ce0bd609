// The makefile writer. Every routine takes the output flavour (1: cl.exe/df.exe, any other
// value: gcc/g77) and the stream, returns the number of makefile lines it wrote or -1, and
// writes its detail lines to standard output.
#pragma once

#include "tables.hpp"

#include <cstdio>

// Writes text and a newline; a text over makefile_line_max chars is reported, cut and
// written, and gives -1. Otherwise 1.
int output_line(std::FILE* fp, const char* text);
int output_newline(std::FILE* fp);

int output_header(int flavour, std::FILE* fp, int incdir_last, int incdir_width, const char* incdir,
                  int srcdir_last, int srcdir_width, const char* srcdir, const srctab_row* srctab,
                  int src);

// "$(OBJDIR)\name-up-to-its-last-dot.obj" in quotes, shorter than limit; else -1 (reported)
// and an empty result.
int output_edit_obj(char* result, int limit, const char* name);
int output_objs(int flavour, std::FILE* fp, const srctab_row* srctab, int src);
int output_link(int flavour, std::FILE* fp);
int output_edit_src(char* result, int limit, const srctab_row* row);
int output_edit_inc(char* result, int limit, const inctab_row* entry);
int output_srcs(int flavour, std::FILE* fp, const srctab_row* srctab, int src);

// Writes the whole makefile (flavour 1) to standard output. Returns its line count, or -1
// when a step failed or the stream reports a write error; what was written stays written.
int write_makefile(int incdir_last, int incdir_width, const char* incdir, int srcdir_last,
                   int srcdir_width, const char* srcdir, const srctab_row* srctab, int src);
