// The character source of the C reader (internal to lang/): the text one call scans, as a
// small lexer takes it. It knows where a piece of a line ends and whether the line goes on,
// counts the lines read, and hands back the text left when the statement ends.
#pragma once

#include "limits.hpp"
#include "line_input.hpp"
#include "text_input.hpp"

// The text handed back by the call before, then the lines of the file in pieces of at most
// c_line_max characters.
struct c_source {
    text_input* in = nullptr;
    char piece[c_line_max + 1];
    const char* s = piece; // the held text: a piece, or the rest of one not yet scanned
    int n = 0;             // its length
    int line = 0;          // pieces read, the text taken over counting as one
    bool held = false;     // s holds text to scan
    // The first characters of the next piece that the scan of this one took: 1 when a pair
    // cut by the piece boundary ends there.
    int taken = 0;
};

// Starts a call on in: takes over the text handed back by the call before (cdstack while
// flg_cdstack is 1), counted as a line even when empty. False when an earlier call reached
// the end of the file; nothing is held on the first call of a file.
bool source_start(c_source& src, text_input& in, int flg_first, const char* cdstack,
                  int flg_cdstack);
// Reads the next piece into the held text: 1, or 0 at the end of the file, -1 after a failed
// read.
int next_piece(c_source& src);
// Keeps the held text from index from on, to be scanned next; none when from is its end.
void keep_rest(c_source& src, int from);
// Drops the held text, then reads and drops the pieces left of its physical line, each
// counted as a line read. False after a failed read.
bool skip_line_rest(c_source& src);
// Ends a call that read a statement: copies the held text, if any, to cdstack (emptied
// otherwise) and returns the lines to report, one less (but at least 1) when text is handed
// back.
int hand_back(const c_source& src, char* cdstack);

// Whether the physical line of the held text goes on past it, in pieces not yet read.
inline bool rest_unread(const c_source& src) {
    return src.in->rest_unread;
}

// The character after s[i] as the scan meets it: the next of the held text, or after its
// last, the first of the next piece of its line ('\0' when the line ends there).
inline char after(const c_source& src, int i) {
    return i + 1 < src.n ? src.s[i + 1] : next_unread(*src.in);
}
