// Where the tool writes: the makefile and the detail lines of reports go to the out stream
// (standard output), report summaries and the usage text to the err stream (standard error).
// Every subsystem but dirlib writes through these routines and diag.hpp's only, so that the
// two streams keep the order in which things were written and a test can point them at files.
#pragma once

#include <cstddef>
#include <cstdio>

// Points the out and err streams elsewhere (standard output and error until then); what was
// gathered for the former out stream reaches it first. Returns nothing; reports nothing.
void set_streams(std::FILE* out, std::FILE* err);

// Adds len bytes of makefile text to the out stream. Text gathers in a block that goes out
// whole; a write error stays on the stream for out_flush to tell.
void out_text(const char* text, std::size_t len);

// Hands the gathered text to the out stream and flushes it. False when the stream has
// reported a write error, now or earlier.
bool out_flush();

// The out and err streams now in use.
std::FILE* out_stream();
std::FILE* err_stream();
