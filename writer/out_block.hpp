// Pieces the writer's files share but nobody outside the writer needs: the block in which
// makefile text gathers before it reaches the stream, and the small text builders.
#pragma once

#include "limits.hpp"

#include <cstddef>
#include <cstdio>

// A makefile line, its newline and the terminating zero.
constexpr int line_buf_size = makefile_line_max + 2;

// The blank and backslash that end a line continued on the next.
constexpr char continued[] = " \\";
constexpr int continued_len = sizeof continued - 1;

// "$(SRCDIR" or "$(INCDIR", any int and ")" with its zero: the longest directory macro.
constexpr int dir_macro_size = sizeof "$(SRCDIR-2147483648)";

// Makefile text on its way to fp: lines gather here and go out in one fwrite when the block
// is full or flushed. Write errors stay on fp's error indicator for the caller to see.
struct out_block {
    static constexpr std::size_t capacity = 64 * 1024;
    std::FILE* fp;
    std::size_t len = 0;
    char data[capacity];
    explicit out_block(std::FILE* stream) : fp(stream) {}
    out_block(const out_block&) = delete;
    out_block& operator=(const out_block&) = delete;
    ~out_block();
};

// Hands the gathered text to the stream. Call it before any detail line is printed, so
// that a report stands where it stood when every line was printed on its own.
void block_flush(out_block& out);

// Adds text (len chars, zero-terminated there, no newline) and a newline as one makefile
// line. Returns 1; a text over makefile_line_max chars is reported, cut and written: -1.
int block_line(out_block& out, const char* text, int len);

// Adds an empty line. Returns 1.
int block_newline(out_block& out);

// output_line for the text prefix followed by text, without joining them first: a header
// line may hold a directory of any length, and its report must still show all of it.
// Returns 1, or -1 after the report when the two were cut to makefile_line_max chars.
int output_line_parts(std::FILE* fp, const char* prefix, const char* text);

// Writes value in decimal at at, as %d would. Returns the number of chars (no zero added).
int put_decimal(char* at, int value);

// Writes "$(NAME)" for directory row 0 and "$(NAMEno)" for any other row at at, where name
// is "SRCDIR" or "INCDIR". Returns its length; at must hold dir_macro_size chars.
int put_dir_macro(char* at, const char* name, int no);
