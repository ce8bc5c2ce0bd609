// Physical-line input and the other steps that the two statement readers share (internal to
// lang/).
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

// The first character of the rest of the line that in.rest_unread says is still to be read,
// as it stands in the file; '\0' when the line read last has no rest. Reads nothing.
char next_unread(const text_input& in);

// Consumes the UTF-8 byte-order mark (EF BB BF) that many Windows editors write at the start
// of a file, so that it is not read as text of the first line; anything else stays to be
// read. in must not have been read from yet.
void skip_byte_order_mark(text_input& in);

// What take_pending found besides a pending line.
constexpr int pending_none = -1; // the first call of a file: nothing is pending
constexpr int pending_done = -2; // an earlier call reached the end of the file

// Begins a reader's call. On the first call of a file (flg_first 1) skips the byte-order mark
// and returns pending_none; later returns pending_done when flg_cdstack is 0, else copies the
// pending line cdstack, cut to max characters, into line (max + 1 bytes) and returns its length.
int take_pending(text_input& in, int flg_first, const char* cdstack, int flg_cdstack, char* line,
                 int max);

// Appends text[col_st..end] to the statement bun of bun_len characters. When the statement
// would reach bun_size characters, appends nothing and returns false after the report that
// names the reader tag and shows col_st, col_ed and the statement so far.
bool append_text(char* bun, int& bun_len, const char* text, int col_st, int col_ed, int end,
                 const char* tag);
