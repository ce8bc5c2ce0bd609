#include "diag.hpp"

#include <cstdio>

int print_diag(int level, const char* text, const char* /*tag*/) {
    // The makefile and the detail lines share standard output; flush it first so that a
    // summary never overtakes the detail line it belongs to when both streams meet.
    std::fflush(stdout);
    std::fprintf(stderr, level != 0 ? "#ERROR#  %s\n" : "#WARN#   %s\n", text);
    return 0;
}

int print_usage() {
    static const char* const lines[] = {
        "  Usage:",
        "  zelkov   [options] [-Idirectry] source-file [ [-Idirectry] source-file ..]",
        "",
        "  options      :Table size options. 999 means maximum number of each elements.",
        "                 '-mxsrc999', '-mxinc999', '-mxrinc999', '-mxmod999'",
        "                 or '-mxrmod999'.",
        "  -Idirectry   :The directry name of include files.",
        "                 This option affects source files untill other -I option",
        "                 is specified. If no directry name specified (only -I),",
        "                 the directry of include files is reset to the same directry",
        "                 of a source file.",
        "                 If any -I option is not specified,directries of include files",
        "                 are assumed to be the same directries of source files.",
        "  source-file   :Source file of program in Fortran or C.",
        "                 Source file name can contains wildcard characters '*' or '?'.",
        "                 '*' means any character string. '?' means any one character.",
        "",
    };
    std::fflush(stdout);
    for (const char* line : lines)
        std::fprintf(stderr, "%s\n", line);
    return 0;
}
