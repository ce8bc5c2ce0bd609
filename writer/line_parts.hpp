// Pieces the writer's files share but nobody outside the writer needs.
#pragma once

#include "limits.hpp"

#include <cstdio>

// A makefile line, its newline and the terminating zero.
constexpr int line_buf_size = makefile_line_max + 2;

// output_line for the text prefix followed by text, without joining them first: a header
// line may hold a directory of any length, and its report must still show all of it.
int output_line_parts(std::FILE* fp, const char* prefix, const char* text);
