// The C statement reader: statements end at ';', '{', '}' or the end of a preprocessor line.
#include "ascii.hpp"
#include "lang.hpp"
#include "limits.hpp"
#include "line_input.hpp"

#include <cstring>

namespace {

// Scan state of one call; nothing of it outlives the call.
struct c_scan {
    bool in_string = false;
    bool in_comment = false;
    // A 255-character piece of a longer line may end inside a pair, or inside a character
    // constant: cut keeps its last character when it may pair with the next piece's first
    // ('/' in code, '*' in a block comment, a backslash in a string or character constant),
    // and in_char tells that a character constant goes on into the next piece.
    char cut = '\0';
    bool in_char = false;
    char next = '\0'; // the first character of the next piece
};

// Returns the index after the quote that closes a character constant whose text begins at
// s[j], or ed + 1 when it is not closed on the line; then, when the piece's line goes on, the
// constant goes on in the next piece. A backslash and the character after it go together.
int close_char_constant(const char* s, int j, int ed, bool goes_on, c_scan& st) {
    while (j <= ed && s[j] != '\'')
        j += s[j] == '\\' ? 2 : 1;
    if (j <= ed) return j + 1;
    if (goes_on) {
        st.in_char = true;
        if (j == ed + 2) st.cut = '\\';
    }
    return ed + 1;
}

// Returns the index of the double quote that closes a string literal open at s[i], or ed + 1
// when it stays open past the line. A backslash right before a quote pairs with it.
int skip_string(const char* s, int i, int ed) {
    while (i <= ed && s[i] != '"')
        i += (s[i] == '\\' && i < ed && s[i + 1] == '"') ? 2 : 1;
    return i;
}

// Returns the index of the '*' of the "*/" that closes a block comment open at s[i], or ed
// when it stays open past the line.
int skip_block_comment(const char* s, int i, int ed) {
    while (i < ed && !(s[i] == '*' && s[i + 1] == '/'))
        ++i;
    return i;
}

// What the scan of one line found.
struct line_scan {
    int col_st;
    int col_ed;
    bool terminator = false;   // ';', '{' or '}' ends the statement at col_ed
    bool comment_line = false; // the text begins with a "//" comment
};

// Scans s[ls.col_st..ls.col_ed] outside strings and comments from i; returns the index where
// a string or block comment opens (st tells which), or ed + 1. Narrows ls at a terminator
// (never in a preprocessor statement, which ends with its line) and at a comment.
int scan_code(const char* s, int i, line_scan& ls, bool preproc_bun, bool bun_empty, bool goes_on,
              c_scan& st) {
    const int ed = ls.col_ed;
    for (; i <= ed; ++i) {
        const char c = s[i];
        const bool pair = i < ed && c == '/';
        if (c == ';' || c == '{' || c == '}') {
            // The statement's first character is the bun's, or this line's text start.
            const bool preproc = bun_empty ? s[ls.col_st] == '#' : preproc_bun;
            if (preproc) continue;
            ls.col_ed = i;
            ls.terminator = true;
            return ed + 1;
        }
        if (c == '"') {
            st.in_string = true;
            return i + 1;
        }
        if (c == '\'') {
            i = close_char_constant(s, i + 1, ed, goes_on, st) - 1;
        } else if (c == '/' && i == ed && goes_on) {
            st.cut = '/'; // maybe the first of "//" or "/*": then comment, not text
            if (st.next == '/' || st.next == '*') ls.col_ed = i - 1;
        } else if (pair && s[i + 1] == '/') {
            if (i == ls.col_st) ls.comment_line = true;
            ls.col_ed = i - 1;
            return ed + 1;
        } else if (pair && s[i + 1] == '*') {
            if (i != ls.col_st) {
                ls.col_ed = i - 1; // the comment comes back as a remainder and opens there
                return ed + 1;
            }
            st.in_comment = true;
            return i + 2;
        }
    }
    return ed + 1;
}

// Takes up, at the start of a piece, what the piece before left cut: a character constant,
// or a pair that its last character began, unless blanks come first. Returns the index where
// the scan goes on; a "//" made of the two sets ls.comment_line.
int resume_cut(const char* s, line_scan& ls, bool goes_on, c_scan& st) {
    const char cut = st.cut;
    st.cut = '\0';
    if (st.in_char) {
        st.in_char = false;
        return close_char_constant(s, cut == '\\' ? 1 : 0, ls.col_ed, goes_on, st);
    }
    if (ls.col_st != 0) return ls.col_st;
    if (cut == '*' && st.in_comment && s[0] == '/') {
        st.in_comment = false;
        ls.col_st = 1;
        return 1;
    }
    if (cut == '\\' && st.in_string && s[0] == '"') return 1;
    if (cut == '/' && !st.in_comment && !st.in_string) {
        if (s[0] == '/') ls.comment_line = true;
        if (s[0] == '*') st.in_comment = true;
        if (s[0] == '/' || s[0] == '*') return 1;
    }
    return 0;
}

// Scans the line s[ls.col_st..ls.col_ed] and narrows ls to the line's statement text.
// goes_on: the line is a piece of a longer one, whose rest is still to be read.
void scan_line(const char* s, line_scan& ls, bool preproc_bun, bool bun_empty, bool goes_on,
               c_scan& st) {
    const int ed = ls.col_ed;
    int i = resume_cut(s, ls, goes_on, st);
    if (ls.comment_line) {
        ls.col_ed = ls.col_st - 1;
        return;
    }
    while (i <= ed) {
        if (st.in_string) {
            i = skip_string(s, i, ed);
            if (i > ed) { // still open: it carries on to the next line
                if (goes_on && s[ed] == '\\') st.cut = '\\';
                break;
            }
            st.in_string = false;
            ++i;
        } else if (st.in_comment) {
            i = skip_block_comment(s, i, ed);
            if (i >= ed) {
                if (goes_on && i == ed && s[ed] == '*') st.cut = '*';
                break;
            }
            st.in_comment = false;
            ls.col_st = i + 2; // the text resumes after the comment
            i += 2;
        } else {
            i = scan_code(s, i, ls, preproc_bun, bun_empty, goes_on, st);
        }
    }
    // A comment still open at the end of the line opened at col_st: the line has no text,
    // also when the line ends right after its "/*".
    if (st.in_comment) ls.col_ed = ls.col_st - 1;
}

bool only_blanks(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (!is_blank(s[i])) return false;
    return true;
}

// True when s[0..n) holds nothing but blanks, block comments closed in it and a last "//"
// comment, and the line ends with it (more: the line goes on in the stream).
bool only_comments(const char* s, int n, bool more) {
    if (more) return false;
    for (int i = 0; i < n; ++i) {
        if (is_blank(s[i])) continue;
        if (s[i] != '/' || i + 1 == n) return false;
        if (s[i + 1] == '/') return true;
        if (s[i + 1] != '*') return false;
        int j = i + 2;
        while (j + 1 < n && !(s[j] == '*' && s[j + 1] == '/'))
            ++j;
        if (j + 1 >= n) return false; // left open: it carries the statement on
        i = j + 1;
    }
    return true;
}

// The reading state of one call.
struct c_read {
    text_input* in;
    char* bun;
    int bun_len = 0;
    char cur[c_line_max + 1];
    const char* s = cur; // the current line, or the remainder of it still to be scanned
    int n = 0;           // length of s
    int line = 0;
    bool have_line = false;
    bool at_eof = false;
    bool failed = false;
    bool overflow = false;
    bool continued = false; // the line before ended a preprocessor line with a backslash
    c_scan st;
};

// Reads the next line or piece of one into r.cur; false at the end of the file or on failure.
bool next_line(c_read& r) {
    int got = read_line(*r.in, r.cur, c_line_max, false);
    if (got == line_end_of_file) r.at_eof = true;
    if (got == line_read_failed) r.failed = true;
    if (got < 0) return false;
    r.s = r.cur;
    r.n = got;
    r.have_line = true;
    ++r.line;
    return true;
}

// Reads and drops the pieces left of the current physical line, each counted as a line. The
// input knows whether the line goes on, also for a remainder handed back by an earlier call.
void skip_rest_of_line(c_read& r) {
    while (r.in->rest_unread) {
        int got = read_line(*r.in, r.cur, c_line_max, false);
        if (got == line_read_failed) r.failed = true;
        if (got < 0) break;
        ++r.line;
    }
    r.have_line = false;
}

bool preproc_open(const c_read& r) {
    return r.bun_len > 0 && r.bun[0] == '#';
}

// A preprocessor statement with the rest of its line held, which begins with a comment:
// true when the statement ends here. The rest comes back to the next call when it is only
// comments; text after a comment, or a comment left open, belongs to this statement.
bool preproc_ends_at_comment(c_read& r) {
    if (r.s[1] == '*') return only_comments(r.s, r.n, r.in->rest_unread);
    // A "//" comment runs to the end of the physical line, over all its pieces; one that ends
    // in the piece held comes back to the next call.
    if (r.in->rest_unread) skip_rest_of_line(r);
    return true;
}

// An empty or blank line (or piece): true when it ends the statement. As in the C
// preprocessor, a continued line that is empty ends the directive; a blank piece of a long
// directive ends it with the line. A character constant goes on over a blank piece to the
// next piece of its line.
bool blank_line_ends(c_read& r) {
    r.have_line = false;
    r.st.cut = '\0';
    if (!r.in->rest_unread) r.st.in_char = false;
    const bool open = r.st.in_comment || r.st.in_string;
    return preproc_open(r) && !open && (r.continued || !r.in->rest_unread);
}

// Appends the text ls found in the held line; false after the too-long report. A
// preprocessor line ending with a backslash goes on with the next line, the backslash
// dropped; *spliced tells so.
bool append_line_text(c_read& r, const line_scan& ls, bool preproc_bun, bool* spliced) {
    int end = ls.col_ed;
    const bool preproc = r.bun_len > 0 ? preproc_bun : r.s[ls.col_st] == '#';
    if (preproc && ls.col_ed == r.n - 1 && !r.in->rest_unread && r.s[ls.col_ed] == '\\') {
        --end;
        *spliced = true;
    }
    // Blanks left after a comment do not begin a statement: a statement that began with
    // them could not be seen as a preprocessor line and would run on.
    if (r.bun_len == 0 && only_blanks(r.s + ls.col_st, end - ls.col_st + 1)) return true;
    if (append_text(r.bun, r.bun_len, r.s, ls.col_st, ls.col_ed, end, "build_read_c")) return true;
    r.failed = r.overflow = true;
    return false;
}

// After the text of a scanned line: true when the statement is complete.
bool statement_ends(c_read& r, const line_scan& ls, bool spliced) {
    // The rest of the line begins the next scan, unless only a comment's '/' cut by the piece
    // boundary is left.
    if (ls.col_ed < r.n - 1 && r.st.cut != '/') {
        r.s += ls.col_ed + 1;
        r.n -= ls.col_ed + 1;
    } else {
        r.have_line = false;
    }
    if (ls.terminator) return true;
    if (r.st.in_comment || r.st.in_string || spliced) return false;
    if (!preproc_open(r)) return false;
    // A preprocessor statement ends with its physical line, whose pieces all belong to it, also
    // when it begins in a rest handed back: the input knows whether the line goes on.
    if (!r.have_line) return !r.in->rest_unread;
    return preproc_ends_at_comment(r);
}

// Scans the held line and appends its text; true when the statement is complete (or the
// call is to end with r.failed set).
bool scan_step(c_read& r) {
    line_scan ls{0, r.n - 1};
    while (ls.col_st < r.n && is_blank(r.s[ls.col_st]))
        ++ls.col_st;
    if (ls.col_st == r.n) return blank_line_ends(r);
    const bool preproc_bun = preproc_open(r);
    r.st.next = next_unread(*r.in);
    scan_line(r.s, ls, preproc_bun, r.bun_len == 0, r.in->rest_unread, r.st);

    bool spliced = false;
    if (ls.col_st <= ls.col_ed) {
        if (!append_line_text(r, ls, preproc_bun, &spliced)) return true;
    } else if (r.st.in_comment || ls.comment_line) {
        r.have_line = false;
        // A "//" comment runs to the end of its physical line, whatever the piece: read as a
        // statement, its tail would swallow the lines after it. It ends a preprocessor
        // statement; a comment left open carries one on.
        if (ls.comment_line) {
            skip_rest_of_line(r);
            if (preproc_bun) return true;
        }
        r.continued = false;
        return false;
    }
    r.continued = spliced;
    return statement_ends(r, ls, spliced);
}

} // namespace

int build_read_c(text_input& in, char* bun, int flg_first, char* cdstack, int* flg_cdstack) {
    c_read r;
    r.in = &in;
    r.bun = bun;
    bun[0] = '\0';
    const int pending = take_pending(in, flg_first, cdstack, *flg_cdstack, r.cur, c_line_max);
    if (pending == pending_done) return 0;
    if (pending >= 0) {
        r.n = pending;
        r.line = 1; // counted even when nothing was handed back
        r.have_line = true;
    }

    for (;;) {
        if (!r.have_line && !next_line(r)) break;
        if (scan_step(r)) break;
    }

    if (r.failed || r.at_eof) {
        // An unfinished statement at the end of the file, or a failed read, leaves nothing
        // of use; an over-long statement stays as it was reported.
        if (!r.overflow) bun[0] = '\0';
        cdstack[0] = '\0';
        *flg_cdstack = 0;
        return r.failed ? -1 : 0;
    }
    int rtn = r.line;
    if (r.have_line) {
        rtn = r.line - 1 < 1 ? 1 : r.line - 1;
        std::memmove(cdstack, r.s, static_cast<size_t>(r.n));
        cdstack[r.n] = '\0';
    } else {
        cdstack[0] = '\0';
    }
    *flg_cdstack = 1;
    return rtn;
}
