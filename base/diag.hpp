// The tool's reports: a detail line on the out stream and a summary on the err stream.
#pragma once

#include "output.hpp"

#if defined(__GNUC__)
#define ZK_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define ZK_PRINTF(fmt, args)
#endif

// How serious a report is: it decides the summary's prefix only, never what happens next.
enum class severity {
    warning = 0, // "#WARN#   "
    error = 1,   // "#ERROR#  "
};

// The one report routine: the detail text (a printf format and its values; null for none) on
// the out stream, after the makefile text gathered so far, then the summary line on the err
// stream (null for none). tag names the reporting routine and is not printed.
void report(severity level, const char* summary, const char* tag, const char* detail, ...)
    ZK_PRINTF(4, 5);

// A line of its own on the err stream (printf format), after the out stream's text.
void report_err(const char* format, ...) ZK_PRINTF(1, 2);

// Writes "#ERROR#  text" (level != 0) or "#WARN#   text" (level 0) and a newline to the err
// stream, after the out stream's text. Returns 0.
int print_diag(int level, const char* text, const char* tag);

// Writes the 17-line usage text to the err stream. Returns 0.
int print_usage();
