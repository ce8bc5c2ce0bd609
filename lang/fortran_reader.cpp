// The Fortran statement reader, one statement a call, in fixed form (with the tab form) or free
// form as the caller says. It reads by these rules:
//
// - A line holds at most fort_line_max characters; the rest of a longer one is skipped, and
//   the line counts once. A '!' ends a line's text wherever it stands, quotes or not.
// - A statement is complete when a line with text turns out not to continue it: that line is
//   handed back in cdstack, whole as read, and begins the next call's statement. Lines without
//   text between the lines of a statement are consumed.
// - A statement holds at most fort_card_max lines of text and bun_size - 1 characters; more
//   is reported, and the call returns -1.
//
// Preprocessor lines, in both forms (fixed form: '#' in column 1; free form: text beginning
// with '#'): a preprocessor reads them, never the compiler, so each is consumed as a comment
// line is. It does not continue a statement, is not continued, and does not end a statement
// continued across it. One kind is kept: #include "name" (blanks and tabs allowed after the
// '#' and before the first quote), met while no statement is being continued, is a statement
// of one line, its text the line from the '#' on. A statement is being continued in free form
// when its last line ended with '&'; in fixed form a continuation shows only on the line after
// the #include, so there the #include ends the statement before it.
//
// Fixed form:
// - 'C', 'c' or '*' in column 1 makes a comment line; text ends at column 72.
// - A statement's first line drops its label field (columns 1 to 5, or up to a tab).
// - A later line continues the statement when its label field is blank and column 6 holds
//   neither blank nor '0', or when it begins with '&', or with a tab and '&' or a digit 1 to
//   9. Its text follows the mark.
//
// Free form:
// - No columns: a line's text runs from its first character that is neither blank nor tab to
//   the one before its first '!'. A line whose text begins with '#' is a preprocessor's, never
//   Fortran: it is consumed as a comment line is.
// - A statement goes on to the next line with text when the text of its last line ends with
//   '&', or when that next line's text begins with '&'. Neither '&' is text, but a leading '&'
//   on a statement's first line is kept.
// - A line whose text is '&' alone carries the statement on both ways and adds no text; on a
//   statement's first line it is a trailing '&', so the next line's leading '&' is no text.
#include "ascii.hpp"
#include "codes.hpp"
#include "diag.hpp"
#include "lang.hpp"
#include "limits.hpp"
#include "line_input.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Whether card continues the statement already begun: the index where its text begins after
// the continuation mark, or -1. Only the label field and column 6 are looked at; card is
// NUL-terminated, so a short line ends the test at its NUL ("any other character").
int continuation_col(const char* card) {
    for (int i = 0; i < fort_label_cols; ++i) {
        char c = card[i];
        if (c == '&') return i + 1;
        if (c == '\t') {
            char next = card[i + 1];
            if (next == '&' || (next >= '1' && next <= '9')) return i + 2;
            if (is_blank(next) || next == '0') return -1;
        } else if (c != ' ') {
            return -1; // a label, or the text of a new statement
        }
    }
    char mark = card[fort_label_cols];
    return is_blank(mark) || mark == '0' ? -1 : fort_label_cols + 1;
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
enum class line_kind {
    none,    // no text: consumed, the statement goes on across it
    next,    // begins the next statement: handed back
    text,    // its text, col_st to col_ed (maybe none), joins the statement
    include, // #include "name": its text, col_st to col_ed, is a statement of its own
};

// A line's kind and text.
struct card_text {
    line_kind kind;
    int col_st = 0;
    int col_ed = -1;
    bool trailing_amp = false; // free form: the text ended with '&', which carries it on
};

// The text of a line among its first len characters: from the first character that is
// neither blank nor tab to the one before the first '!'; kind none when there is none.
card_text find_text(const char* card, int len) {
    int i = 0;
    while (i < len && is_blank(card[i]))
        ++i;
    const void* bang = std::memchr(card + i, '!', static_cast<std::size_t>(len - i));
    const int col_ed = bang ? static_cast<int>(static_cast<const char*>(bang) - card) - 1 : len - 1;
    if (i > col_ed) return {line_kind::none};
    return {line_kind::text, i, col_ed};
}

const char* skip_blanks(const char* s, const char* end) {
    while (s < end && is_blank(*s))
        ++s;
    return s;
}

// A preprocessor line whose '#' stands at hash: #include "name" keeps its text from the '#' to
// the end of the line; any other is consumed as a comment line is.
card_text preprocessor_line(const char* card, int card_len, int hash) {
    static constexpr char word[] = "include";
    constexpr int word_len = sizeof word - 1;
    const char* end = card + card_len;
    const char* s = skip_blanks(card + hash + 1, end);
    if (end - s < word_len || std::memcmp(s, word, word_len) != 0) return {line_kind::none};
    s = skip_blanks(s + word_len, end);
    if (s == end || *s != '"' ||
        std::memchr(s + 1, '"', static_cast<std::size_t>(end - s - 1)) == nullptr)
        return {line_kind::none};
    return {line_kind::include, hash, card_len - 1};
}

// Fixed form: comment lines in column 1, a label field, a continuation mark in column 6,
// text ending at column 72.
card_text fixed_line(const char* card, int card_len, bool continuing) {
    if (card_len == 0 || card[0] == 'C' || card[0] == 'c' || card[0] == '*')
        return {line_kind::none};
    if (card[0] == '#') return preprocessor_line(card, card_len, 0);
    card_text t = find_text(card, std::min(card_len, fort_text_col));
    if (t.kind == line_kind::none) return t; // blank, or a '!' comment
    if (continuing) {
        t.col_st = continuation_col(card);
        if (t.col_st < 0) return {line_kind::next};
    } else if (t.col_st < fort_label_cols) {
        t.col_st = skip_label(card, t.col_st);
    }
    return t;
}

// Free form: no columns; '&' at the end of a line's text, or at the start of the next one,
// carries the statement on and is no text. trailing_amp: the last line of text ended with '&'.
card_text free_line(const char* card, int card_len, bool continuing, bool trailing_amp) {
    card_text t = find_text(card, card_len);
    if (t.kind == line_kind::none) return t;
    if (card[t.col_st] == '#') return preprocessor_line(card, card_len, t.col_st);
    int last = t.col_ed;
    while (is_blank(card[last]))
        --last;
    const bool leading = card[t.col_st] == '&';
    if (continuing) {
        if (!trailing_amp && !leading) return {line_kind::next};
        if (leading) ++t.col_st;
    }
    t.trailing_amp = card[last] == '&'; // a lone '&' both leads and ends its line
    if (t.trailing_amp) t.col_ed = last - 1;
    return t;
}

// The reading state of one call; nothing of it outlives the call but the line handed back.
struct fort_read {
    text_input* in = nullptr;
    char* bun = nullptr;
    int form = form_fixed;
    char card[fort_line_max + 1]; // left as it is: each call fills it before use
    int card_len = 0;
    int line = 0;     // physical lines read, the pending line taken over included
    int card_cnt = 0; // lines whose text is in the statement
    int bun_len = 0;
    bool held = false;         // card holds a line not yet consumed
    bool trailing_amp = false; // free form: the last line of text ended with '&'
    bool one_line = false;     // the statement is a #include line: it takes no other
};

// Reads the next line into r.card: 1, or 0 at the end of the file, -1 after a failed read
// (the caller reports it; no statement survives). The rest of an over-long line is skipped:
// read as a line of its own, the tail of a long comment could pass for a statement.
int next_card(fort_read& r) {
    const int n = read_line(*r.in, r.card, fort_line_max, true);
    if (n == line_end_of_file) return 0;
    if (n == line_read_failed) {
        r.bun[0] = '\0';
        return -1;
    }
    r.card_len = n;
    r.held = true;
    ++r.line;
    return 1;
}

// Appends the text col_st..col_ed of the held line as the statement's next card; false after
// a reported error.
bool append_card(fort_read& r, int col_st, int col_ed) {
    if (r.card_cnt == fort_card_max) {
        report(severity::error, "too many line in one statement", "build_read_fort",
               "#ERROR#  build_read_fort  card_cnt over [%d]\n", r.card_cnt);
        return false;
    }
    if (!append_text(r.bun, r.bun_len, r.card, col_st, col_ed, col_ed, "build_read_fort"))
        return false;
    ++r.card_cnt;
    return true;
}

// Reads lines until the statement is complete (a line that begins the next one is held) or
// the file ends; false after a failed read or a reported error.
bool read_statement(fort_read& r) {
    for (;;) {
        if (!r.held) {
            const int got = next_card(r);
            if (got <= 0) return got == 0;
        }
        // A statement is being continued once it holds text, or once a lone '&' on its first
        // line carried it on.
        const bool continuing = r.card_cnt > 0 || r.trailing_amp;
        const card_text t = r.form == form_free
                                ? free_line(r.card, r.card_len, continuing, r.trailing_amp)
                                : fixed_line(r.card, r.card_len, continuing);
        if (t.kind == line_kind::next) return true; // handed back
        if (t.kind != line_kind::none && r.one_line) return true;
        if (t.kind == line_kind::include) {
            // Inside a statement continued by '&' it is consumed; after a statement's text it
            // ends that statement; otherwise it is the statement.
            if (r.form == form_free && r.trailing_amp) {
                r.held = false;
                continue;
            }
            if (r.card_cnt > 0) return true;
            r.one_line = true;
        }
        // A line without text is consumed, and so is one whose text is appended.
        if (t.kind != line_kind::none) {
            r.trailing_amp = t.trailing_amp;
            if (t.col_st <= t.col_ed && !append_card(r, t.col_st, t.col_ed)) return false;
        }
        r.held = false;
    }
}

} // namespace

int build_read_fort(text_input& in, char* bun, int form, int flg_first, char* cdstack,
                    int* flg_cdstack) {
    fort_read r;
    r.in = &in;
    r.bun = bun;
    r.form = form;
    bun[0] = '\0';
    const int pending = take_pending(in, flg_first, cdstack, *flg_cdstack, r.card, fort_line_max);
    if (pending == pending_done) return 0;
    if (pending >= 0) {
        r.card_len = pending;
        r.line = 1;
        r.held = true;
    }
    if (!read_statement(r)) {
        cdstack[0] = '\0';
        *flg_cdstack = 0;
        return -1;
    }
    if (r.held) {
        std::memcpy(cdstack, r.card, static_cast<size_t>(r.card_len) + 1);
        *flg_cdstack = 1;
        return r.line - 1;
    }
    cdstack[0] = '\0';
    *flg_cdstack = 0;
    return r.line;
}
