// The C statement reader, one statement a call, for the C analyser, which looks only for
// #include lines. It reads by these rules:
//
// - A statement ends with the first ';', '{' or '}' outside comments, string literals and
//   character constants. The text after it on its line is handed back in cdstack and begins
//   the next call's statement.
// - A statement whose text begins with '#' is a preprocessor line: ';', '{' and '}' end
//   nothing in it, and it ends with its physical line. A backslash that ends the line joins
//   the next line to it and is dropped; an empty or blank joined line ends it. A comment or
//   string left open at the end of the line carries it on to the line where it closes.
// - A closed block comment does not end a preprocessor line: the text after it belongs to the
//   statement. A "//" comment ends it. When nothing but blanks and comments is left of the
//   line, that rest is handed back.
// - Comments are taken out. A block comment may span lines; one open at the end of its line
//   leaves the line no text after the comment's start. A "//" comment runs to the end of its
//   physical line.
// - A string literal passes whole, a backslash right before a double quote keeping the quote
//   in it; one left open goes on to the next line. A character constant runs from a ' to the
//   next ' of its line, a backslash passing over the character after it; '"', comments and
//   terminators inside it are ordinary characters. One not closed on its line ends there.
// - Blanks and tabs at the start of a line are no text, and blanks alone after a comment do
//   not begin a statement (it could never be a preprocessor line, and would run on).
// - Lines are read in pieces of at most c_line_max characters, each counted as a line read.
//   What is open at the end of a piece (a statement, a comment, a string, a character
//   constant) goes on in the next piece of the line as on one line, over a blank piece too;
//   a blank piece is no text. A preprocessor line ends with its physical line, never with a
//   piece, also when it begins in a rest handed back; a "//" comment takes every piece left
//   of its line.
// - A pair that the piece boundary cuts holds: "/*", "//", "*/", and a backslash with the
//   quote or character it escapes. The '/' that opens a comment is comment, never text. A
//   blank at the start of the next piece breaks the pair, as it does on one line.
// - The result counts the lines read, the text taken over from cdstack counting as one; when
//   text is handed back, one less, but at least 1.
#include "ascii.hpp"
#include "c_source.hpp"
#include "lang.hpp"
#include "line_input.hpp"

#include <algorithm>

namespace {

// What the scan is inside of. A string literal, a character constant and a block comment
// exclude each other, and each ends where its construct ends.
enum class c_mode { code, string, char_constant, block_comment };

// The inside of a string literal from s[i]. Returns the index after its closing quote, the
// mode back to code; else the end of the held text, or one past it when a backslash at its
// end escapes the next piece's first character, a quote.
int string_literal(const c_source& src, int i, c_mode& mode) {
    while (i < src.n && src.s[i] != '"')
        i += src.s[i] == '\\' && after(src, i) == '"' ? 2 : 1;
    if (i >= src.n) return i;
    mode = c_mode::code;
    return i + 1;
}

// The inside of a character constant from s[i]. Returns the index after its closing quote,
// the mode back to code; else the end of the held text, or one past it when a backslash at
// its end escapes the next piece's first character.
int char_constant(const c_source& src, int i, c_mode& mode) {
    while (i < src.n && src.s[i] != '\'')
        i += src.s[i] == '\\' ? 2 : 1;
    if (i >= src.n) return i;
    mode = c_mode::code;
    return i + 1;
}

// The inside of a block comment from s[i]. Returns the index after its "*/", the mode back to
// code (one past the end when the '/' is the next piece's first); else the end, still open.
int block_comment(const c_source& src, int i, c_mode& mode) {
    while (i < src.n && !(src.s[i] == '*' && after(src, i) == '/'))
        ++i;
    if (i >= src.n) return i;
    mode = c_mode::code;
    return i + 2;
}

// Whether the held text is nothing but blanks, closed block comments and a last "//" comment.
bool only_comments(const c_source& src) {
    for (int i = 0; i < src.n;) {
        if (is_blank(src.s[i])) {
            ++i;
            continue;
        }
        const char next = src.s[i] == '/' ? after(src, i) : '\0';
        if (next == '/') return true;
        if (next != '*') return false;
        c_mode mode = c_mode::block_comment;
        i = block_comment(src, i + 2, mode);
        if (mode != c_mode::code) return false; // left open: it carries the statement on
    }
    return true;
}

// Where the scan of one held text stopped.
enum class c_stop {
    end,          // at the end of the held text
    terminator,   // at a ';', '{' or '}' that ends the statement: col_ed
    comment,      // at a comment after the text: the rest from it is scanned again
    line_comment, // at a "//" before any text: the rest of the physical line is comment
};

// The statement text of one held text, col_st to col_ed (none when col_st > col_ed).
struct c_span {
    int col_st;
    int col_ed;
    c_stop stop = c_stop::end;
};

// The reading of one statement.
struct c_read {
    c_source src;
    char* bun = nullptr;
    int bun_len = 0;
    c_mode mode = c_mode::code;
    bool spliced = false; // the last line ended a preprocessor line with a backslash
};

// Whether the statement so far is a preprocessor line.
bool in_preproc(const c_read& r) {
    return r.bun_len > 0 && r.bun[0] == '#';
}

// Whether the statement is a preprocessor line: by its text so far, or while it has none, by
// the held text's first character of text, at col_st.
bool preproc_statement(const c_read& r, int col_st) {
    return r.bun_len > 0 ? r.bun[0] == '#' : r.src.s[col_st] == '#';
}

// At the end of a physical line a character constant ends, and no pair goes on.
void end_line(c_read& r) {
    if (r.mode == c_mode::char_constant) r.mode = c_mode::code;
    r.src.taken = 0;
}

// Code from s[i]. Returns where a string, character constant or block comment begins, the
// mode set to it; else stops at a terminator, or at a comment that follows text (which is
// scanned again as the held rest), or at a "//" before any text, narrowing sp.
int code(c_read& r, int i, c_span& sp) {
    const c_source& src = r.src;
    for (; i < src.n; ++i) {
        const char c = src.s[i];
        if (c == '"' || c == '\'') {
            r.mode = c == '"' ? c_mode::string : c_mode::char_constant;
            return i + 1;
        }
        if ((c == ';' || c == '{' || c == '}') && !preproc_statement(r, sp.col_st)) {
            sp.col_ed = i;
            sp.stop = c_stop::terminator;
            return src.n;
        }
        const char next = c == '/' ? after(src, i) : '\0';
        if (next == '*' && i == sp.col_st) {
            r.mode = c_mode::block_comment;
            return i + 2;
        }
        if (next == '*' || next == '/') {
            sp.col_ed = i - 1;
            sp.stop = i == sp.col_st ? c_stop::line_comment : c_stop::comment;
            return src.n;
        }
    }
    return i;
}

// Scans the held text from its text start col_st, in the mode the text before left, to its
// end or a stop; returns its statement text.
c_span scan(c_read& r, int col_st) {
    c_source& src = r.src;
    c_span sp{col_st, src.n - 1};
    // A piece whose first character ends a "*/" cut by the boundary: its text follows it.
    if (src.taken > 0 && r.mode == c_mode::code) sp.col_st = src.taken;
    int i = std::max(col_st, src.taken);
    while (i < src.n && sp.stop == c_stop::end) {
        switch (r.mode) {
        case c_mode::code:
            i = code(r, i, sp);
            break;
        case c_mode::string:
            i = string_literal(src, i, r.mode);
            break;
        case c_mode::char_constant:
            i = char_constant(src, i, r.mode);
            break;
        case c_mode::block_comment:
            i = block_comment(src, i, r.mode);
            if (r.mode == c_mode::code) sp.col_st = i; // the text resumes after the comment
            break;
        }
    }
    // A comment still open began at col_st or on an earlier line: there is no text.
    if (r.mode == c_mode::block_comment) sp.col_ed = sp.col_st - 1;
    src.taken = i > src.n ? i - src.n : 0;
    if (!rest_unread(src)) end_line(r);
    return sp;
}

// What one step of the reading found.
constexpr int step_open = 0;    // the statement is still open: read on
constexpr int step_done = 1;    // the statement is complete
constexpr int step_failed = -1; // a failed read or the too-long report: the call returns -1

// A failed read leaves no statement of use.
int read_failed(c_read& r) {
    r.bun[0] = '\0';
    return step_failed;
}

// A backslash that ends a preprocessor line (its physical line, not a piece) joins the next
// line to it: returns the end of the text before it, r.spliced set; else sp.col_ed.
int backslash_splice(c_read& r, const c_span& sp) {
    const c_source& src = r.src;
    r.spliced = sp.col_ed == src.n - 1 && !rest_unread(src) && src.s[sp.col_ed] == '\\' &&
                preproc_statement(r, sp.col_st);
    return r.spliced ? sp.col_ed - 1 : sp.col_ed;
}

bool only_blanks(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (!is_blank(s[i])) return false;
    return true;
}

// Appends the text sp found; false after the too-long report.
bool append(c_read& r, const c_span& sp) {
    const int end = backslash_splice(r, sp);
    if (r.bun_len == 0 && only_blanks(r.src.s + sp.col_st, end - sp.col_st + 1)) return true;
    return append_text(r.bun, r.bun_len, r.src.s, sp.col_st, sp.col_ed, end, "build_read_c");
}

// A held text of blanks alone, or nothing: no text, and a pair cut before it is broken. A
// character constant goes on over it to the next piece of its line. It ends a preprocessor
// line that ends with it, or a joined line (an empty continued line ends the directive, as
// in the C preprocessor).
int blank_text(c_read& r) {
    r.src.held = false;
    r.src.taken = 0;
    if (!rest_unread(r.src)) end_line(r);
    const bool ends = r.mode == c_mode::code && (r.spliced || !rest_unread(r.src));
    return in_preproc(r) && ends ? step_done : step_open;
}

// A "//" comment before any text: the held text and the pieces left of its line are dropped.
// It ends a preprocessor line.
int line_comment(c_read& r) {
    if (!skip_line_rest(r.src)) return read_failed(r);
    return in_preproc(r) ? step_done : step_open;
}

// A preprocessor line whose held rest begins with a comment. It ends here when nothing but
// comments is left of the line, which is handed back; text after a closed comment, or a
// comment left open, belongs to it. A "//" comment ends it, with every piece left of its line.
int preproc_rest(c_read& r) {
    c_source& src = r.src;
    if (after(src, 0) == '*')
        return !rest_unread(src) && only_comments(src) ? step_done : step_open;
    if (rest_unread(src) && !skip_line_rest(src)) return read_failed(r);
    return step_done;
}

// After the text of the held text: keeps its rest for the next scan; whether the statement
// is complete.
int statement_ends(c_read& r, const c_span& sp) {
    keep_rest(r.src, sp.col_ed + 1);
    if (sp.stop == c_stop::terminator) return step_done;
    if (r.mode != c_mode::code || r.spliced || !in_preproc(r)) return step_open;
    if (r.src.held) return preproc_rest(r);
    return rest_unread(r.src) ? step_open : step_done;
}

// Scans the held text and appends its statement text; a step_ code.
int read_held(c_read& r) {
    int col_st = 0;
    while (col_st < r.src.n && is_blank(r.src.s[col_st]))
        ++col_st;
    if (col_st == r.src.n) return blank_text(r);
    const c_span sp = scan(r, col_st);
    r.spliced = false;
    if (sp.stop == c_stop::line_comment) return line_comment(r);
    if (r.mode == c_mode::block_comment) { // the rest of the held text is comment
        r.src.held = false;
        return step_open;
    }
    if (sp.col_st <= sp.col_ed && !append(r, sp)) return step_failed;
    return statement_ends(r, sp);
}

// Reads until the statement is complete: 1; 0 at the end of the file, -1 after a failed read
// or the too-long report. A statement that the end of the file leaves open is dropped.
int read_statement(c_read& r) {
    for (;;) {
        if (!r.src.held) {
            const int got = next_piece(r.src);
            if (got <= 0) {
                r.bun[0] = '\0';
                return got;
            }
        }
        const int step = read_held(r);
        if (step != step_open) return step;
    }
}

} // namespace

int build_read_c(text_input& in, char* bun, int flg_first, char* cdstack, int* flg_cdstack) {
    c_read r;
    r.bun = bun;
    bun[0] = '\0';
    if (!source_start(r.src, in, flg_first, cdstack, *flg_cdstack)) return 0;
    const int rtn = read_statement(r);
    if (rtn <= 0) {
        cdstack[0] = '\0';
        *flg_cdstack = 0;
        return rtn;
    }
    *flg_cdstack = 1;
    return hand_back(r.src, cdstack);
}
