// Physical-line input shared by the two statement readers (internal to lang/).
#pragma once

#include "text_input.hpp"

// What read_line found besides a line.
constexpr int line_end_of_file = -1; // nothing left to read
constexpr int line_read_failed = -2; // the stream reported an error

// Reads one line of at most max characters into buf (max + 1 bytes) and returns its length,
// or one of the two codes above. The newline is not stored, and a carriage return right
// before it is dropped, so CR LF and LF files read alike and the limit counts text only.
// With skip_rest the rest of a longer line is read and thrown away; without it the rest
// stays to be read and comes back as the next line. The text ends at the first NUL byte, as
// a NUL-terminated line would: the characters after it are read but not kept.
// in.rest_unread tells afterwards whether the rest of a longer line is still to be read.
int read_line(text_input& in, char* buf, int max, bool skip_rest);

// Consumes the UTF-8 byte-order mark (EF BB BF) that many Windows editors write at the start
// of a file, so that it is not read as text of the first line; anything else stays to be
// read. in must not have been read from yet.
void skip_byte_order_mark(text_input& in);
