// The tool's two ways of talking to the user, usable from every subsystem but dirlib.
#pragma once

// Writes "#ERROR#  text" (level != 0) or "#WARN#   text" (level 0) and a newline to standard
// error, after flushing standard output so that both streams keep their order. tag names
// the reporting routine and is not printed. Returns 0.
int print_diag(int level, const char* text, const char* tag);

// Writes the 17-line usage text to standard error. Returns 0.
int print_usage();
