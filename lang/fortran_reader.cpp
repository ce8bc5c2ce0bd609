// The Fortran statement reader, one statement a call: fixed form (with the tab form), or free
// form, as the caller says; '!' comments in both.
#include "ascii.hpp"
#include "codes.hpp"
#include "diag.hpp"
#include "lang.hpp"
#include "limits.hpp"
#include "line_input.hpp"

#include <cstdio>
#include <cstring>

namespace {

// Decides whether card continues the statement already begun; on yes, *col_st is moved
// past the continuation mark. Only the label field and column 6 are looked at; card is
// NUL-terminated, so a short line ends the test at its NUL ("any other character").
bool is_continuation(const char* card, int* col_st) {
    for (int i = 0; i < fort_label_cols; ++i) {
        char c = card[i];
        if (c == '&') {
            *col_st = i + 1;
            return true;
        }
        if (c == '\t') {
            char next = card[i + 1];
            if (next == '&' || (next >= '1' && next <= '9')) {
                *col_st = i + 2;
                return true;
            }
            if (is_blank(next) || next == '0') return false;
        } else if (c != ' ') {
            return false; // a label, or the text of a new statement
        }
    }
    char mark = card[fort_label_cols];
    if (is_blank(mark) || mark == '0') return false;
    *col_st = fort_label_cols + 1;
    return true;
}

// Moves col_st past the label field of a statement's first line.
int skip_label(const char* card, int col_st) {
    for (int i = col_st; i < fort_label_cols; ++i) {
        char c = card[i];
        if (c == ' ') {
            col_st = i + 1;
        } else if (c == '\t') {
            char next = card[i + 1];
            return is_blank(next) || next == '0' ? i + 2 : i;
        } else if (is_digit(c)) {
            col_st = i + 2;
        } else {
            return i;
        }
    }
    return col_st;
}

// What a line is to the statement being read.
constexpr int line_none = 0; // no text: consumed, the statement goes on across it
constexpr int line_next = 1; // begins the next statement: handed back
constexpr int line_text = 2; // its text, col_st to col_ed (maybe none), joins the statement

// The text of a line among its first len characters: from the first character that is
// neither blank nor tab to the one before the first '!'. False when there is none.
bool find_text(const char* card, int len, int* col_st, int* col_ed) {
    int i = 0;
    while (i < len && is_blank(card[i]))
        ++i;
    const void* bang = std::memchr(card + i, '!', static_cast<std::size_t>(len - i));
    *col_ed = bang ? static_cast<int>(static_cast<const char*>(bang) - card) - 1 : len - 1;
    *col_st = i <= *col_ed ? i : -1;
    return *col_st >= 0;
}

// Fixed form: comment lines in column 1, a label field, a continuation mark in column 6,
// text ending at column 72.
int fixed_line(const char* card, int card_len, bool continuing, int* col_st, int* col_ed) {
    if (card_len == 0 || card[0] == 'C' || card[0] == 'c' || card[0] == '*') return line_none;
    int len = card_len < fort_text_col ? card_len : fort_text_col;
    if (!find_text(card, len, col_st, col_ed)) return line_none; // blank, or a '!' comment
    if (continuing) {
        if (!is_continuation(card, col_st)) return line_next;
    } else if (*col_st < fort_label_cols) {
        *col_st = skip_label(card, *col_st);
    }
    return line_text;
}

// Free form: no columns; '&' at the end of a line's text, or at the start of the next one,
// carries the statement on and is no text. *more says whether the last line ended with '&'.
// A '#' line is a preprocessor's, never Fortran: left out as a comment line would be.
int free_line(const char* card, int card_len, bool continuing, bool* more, int* col_st,
              int* col_ed) {
    if (!find_text(card, card_len, col_st, col_ed) || card[*col_st] == '#') return line_none;
    int last = *col_ed;
    while (is_blank(card[last]))
        --last;
    const bool leading = card[*col_st] == '&';
    if (continuing) {
        if (!*more && !leading) return line_next;
        if (leading) ++*col_st;
    }
    *more = card[last] == '&'; // a lone '&' both leads and ends its line
    if (*more) *col_ed = last - 1;
    return line_text;
}

// The reading state of one call; nothing of it outlives the call but the line handed back.
struct fort_read {
    fort_read(text_input& input, char* statement, int source_form)
        : in(input), bun(statement), form(source_form) {}
    text_input& in;
    char* bun;
    int form;
    char card[fort_line_max + 1]; // left as it is: each call fills it before use
    int card_len = 0;
    int line = 0;     // physical lines read, the pending line taken over included
    int card_cnt = 0; // lines whose text is in the statement
    int bun_len = 0;
    bool have_line = false; // card holds a line not yet consumed
    bool failed = false;
    bool more = false; // free form: the last line of text ended with '&'
};

// Reads the next line into r.card; false at the end of the file or after a failed read (the
// caller reports it; no statement survives). The rest of an over-long line is skipped: read
// as a line of its own, the tail of a long comment could pass for a statement.
bool next_card(fort_read& r) {
    const int n = read_line(r.in, r.card, fort_line_max, true);
    if (n == line_read_failed) {
        r.bun[0] = '\0';
        r.failed = true;
    }
    if (n < 0) return false;
    r.card_len = n;
    r.have_line = true;
    ++r.line;
    return true;
}

// Appends the text col_st..col_ed of the held line as the statement's next card; false after
// a reported error.
bool append_card(fort_read& r, int col_st, int col_ed) {
    if (r.card_cnt == fort_card_max) {
        std::printf("#ERROR#  build_read_fort  card_cnt over [%d]\n", r.card_cnt);
        print_diag(1, "too many line in one statement", "build_read_fort");
        return false;
    }
    if (!append_text(r.bun, r.bun_len, r.card, col_st, col_ed, col_ed, "build_read_fort"))
        return false;
    ++r.card_cnt;
    return true;
}

// Reads lines until the statement is complete (a line that begins the next one is held), the
// file ends, or an error; r.failed tells the last.
void read_statement(fort_read& r) {
    for (;;) {
        if (!r.have_line && !next_card(r)) return;
        int col_st = 0;
        int col_ed = 0;
        // A statement is being continued once it holds text, or once a line of no text but a
        // free-form '&' carried it on (a lone '&' on its first line): the next line's leading
        // '&' is then no text either.
        const bool continuing = r.card_cnt > 0 || r.more;
        const int kind = r.form == form_free
                             ? free_line(r.card, r.card_len, continuing, &r.more, &col_st, &col_ed)
                             : fixed_line(r.card, r.card_len, continuing, &col_st, &col_ed);
        if (kind == line_next) return; // handed back
        // A line without text is consumed, and so is one whose text is appended.
        if (kind == line_text && col_st <= col_ed && !append_card(r, col_st, col_ed)) {
            r.failed = true;
            return;
        }
        r.have_line = false;
    }
}

} // namespace

int build_read_fort(text_input& in, char* bun, int form, int flg_first, char* cdstack,
                    int* flg_cdstack) {
    fort_read r{in, bun, form};
    bun[0] = '\0';
    const int pending = take_pending(in, flg_first, cdstack, *flg_cdstack, r.card, fort_line_max);
    if (pending == pending_done) return 0;
    if (pending >= 0) {
        r.card_len = pending;
        r.line = 1;
        r.have_line = true;
    }
    read_statement(r);

    if (r.failed) {
        cdstack[0] = '\0';
        *flg_cdstack = 0;
        return -1;
    }
    if (r.have_line) {
        std::memcpy(cdstack, r.card, static_cast<size_t>(r.card_len) + 1);
        *flg_cdstack = 1;
        return r.line - 1;
    }
    cdstack[0] = '\0';
    *flg_cdstack = 0;
    return r.line;
}
