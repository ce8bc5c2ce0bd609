// Reports and the usage text.
#include "diag.hpp"

#include <cstdarg>
#include <cstdio>

void report(severity level, const char* summary, const char* tag, const char* detail, ...) {
    if (detail != nullptr) {
        // The detail line stands after the makefile text written before it.
        out_flush();
        std::va_list values;
        va_start(values, detail);
        std::vfprintf(out_stream(), detail, values);
        va_end(values);
    }
    if (summary != nullptr) print_diag(level == severity::error ? 1 : 0, summary, tag);
}

void report_err(const char* format, ...) {
    out_flush();
    std::va_list values;
    va_start(values, format);
    std::vfprintf(err_stream(), format, values);
    va_end(values);
}

int print_diag(int level, const char* text, const char* /*tag*/) {
    // A summary never overtakes the detail line it belongs to where both streams meet.
    out_flush();
    std::fprintf(err_stream(), level != 0 ? "#ERROR#  %s\n" : "#WARN#   %s\n", text);
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
    out_flush();
    std::FILE* err = err_stream();
    for (const char* line : lines)
        std::fprintf(err, "%s\n", line);
    return 0;
}
