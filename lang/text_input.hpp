// One open file as the statement readers take it: the stream and the block of it read ahead.
// The caller keeps one per open file, from the open to the close, and passes it to every
// call of the readers for that file, so that what was read ahead is not lost between calls.
#pragma once

#include "limits.hpp"

#include <cstddef>
#include <cstdio>

// The input's own block, used when the caller lends none: twice the longest piece of a line
// with the two bytes (CR LF) that may end it. Small, since a deep include chain keeps one per
// level; the caller lends a larger block where the reading speed counts.
constexpr std::size_t text_spare_size = 2 * (c_line_max + 2);

struct text_input {
    std::FILE* fp = nullptr;
    char* block = nullptr; // the caller's block buffer; null: spare
    std::size_t block_size = 0;
    std::size_t pos = 0;      // next byte to hand out
    std::size_t end = 0;      // end of the bytes read ahead
    bool at_end = false;      // the stream has nothing more: its end, or a failed read
    bool failed = false;      // a read failed; the readers report it as -1
    bool rest_unread = false; // the last line read was a piece: the rest is still to be read
    char spare[text_spare_size];
};

// Starts in on fp, which has not been read yet. The file is read in blocks of size bytes into
// block, which the caller owns and keeps until the file is closed; with a null block, or one
// smaller than text_spare_size, into the input's own. Reports nothing.
void text_open(text_input& in, std::FILE* fp, char* block = nullptr, std::size_t size = 0);
