// One open file as the statement readers take it: the stream and the block of it read ahead.
// The caller keeps one per open file, from the open to the close, and passes it to every
// call of the readers for that file, so that what was read ahead is not lost between calls.
#pragma once

#include "limits.hpp"

#include <cstddef>
#include <cstdio>

// The smallest block a reader can work with: twice the longest piece of a line with the two
// bytes (CR LF) that may end it. A deep include chain keeps one block per level, so levels
// past the first few lend no more; the caller lends larger ones where reading speed counts.
constexpr std::size_t text_block_min = 2 * (c_line_max + 2);

struct text_input {
    std::FILE* fp = nullptr;
    char* block = nullptr; // the caller's block, block_size bytes
    std::size_t block_size = 0;
    std::size_t pos = 0;      // next byte to hand out
    std::size_t end = 0;      // end of the bytes read ahead
    bool at_end = false;      // the stream has nothing more: its end, or a failed read
    bool failed = false;      // a read failed; the readers report it as -1
    bool rest_unread = false; // the last line read was a piece: the rest is still to be read
};

// Starts in on fp, which has not been read yet. The file is read in blocks of size bytes (at
// least text_block_min) into block, which the caller owns and keeps until the file is
// closed. Reports nothing.
void text_open(text_input& in, std::FILE* fp, char* block, std::size_t size);
