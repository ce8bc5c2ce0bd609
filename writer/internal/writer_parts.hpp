// Pieces the writer's files share but nobody outside the writer needs: lines of a known
// length, and the small text builders.
#pragma once

#include "limits.hpp"
#include "writer.hpp"

// The blank and backslash that end a line continued on the next.
constexpr char continued[] = " \\";
constexpr int continued_len = sizeof continued - 1;

// "$(SRCDIR" or "$(INCDIR", any int and ")" with its zero: the longest directory macro.
constexpr int dir_macro_size = sizeof "$(SRCDIR-2147483648)";

// Room for any edited name, whatever the bounds: the longest directory macro, the longest
// stored source name with ".obj" for its last dot, the quotes and the backslash.
constexpr int edited_size = dir_macro_size + src_name_size + sizeof ".obj" + 3;

// output_line for a text of len chars (zero-terminated there).
int output_text_line(const writer_storage& w, const char* text, int len);

// output_line for the text prefix followed by text, without joining them first: a header
// line may hold a directory of any length, and its report must still show all of it.
// Returns 1, or -1 after the report when the two were cut to w.b.line_max chars.
int output_line_parts(const writer_storage& w, const char* prefix, const char* text);

// Writes value in decimal at at, as %d would. Returns the number of chars (no zero added).
int put_decimal(char* at, int value);

// Writes "$(NAME)" for directory row 0 and "$(NAMEno)" for any other row at at, where name
// is "SRCDIR" or "INCDIR". Returns its length; at must hold dir_macro_size chars.
int put_dir_macro(char* at, const char* name, int no);
