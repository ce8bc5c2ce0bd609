// The stream of the library's one-line reports ("\nError at ..."), as set_dirlib_reports set it.
#pragma once

#include <cstdio>

// The stream set with set_dirlib_reports, or standard output while none is set.
std::FILE* report_stream();
