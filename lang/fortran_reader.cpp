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

} // namespace

int build_read_fort(text_input& in, char* bun, int form, int flg_first, char* cdstack,
                    int* flg_cdstack) {
    if (flg_first == 1) skip_byte_order_mark(in);
    char card1[fort_line_max + 1];
    int card_len = 0;
    int line = 0;
    int card_cnt = 0;
    int bun_len = 0;
    bool have_line = false;
    bool failed = false;
    bool more = false; // free form: the last line of text ended with '&'

    bun[0] = '\0';
    card1[0] = '\0';
    if (flg_first != 1) {
        if (*flg_cdstack == 0) return 0;
        // The pending line was stored by an earlier call and is at most fort_line_max chars.
        card_len = static_cast<int>(std::strlen(cdstack));
        if (card_len > fort_line_max) card_len = fort_line_max;
        std::memcpy(card1, cdstack, static_cast<size_t>(card_len));
        card1[card_len] = '\0';
        line = 1;
        have_line = true;
    }

    for (;;) {
        if (!have_line) {
            // The rest of an over-long line is skipped: read as a line of its own, the tail
            // of a long comment could pass for a statement.
            int n = read_line(in, card1, fort_line_max, true);
            if (n == line_end_of_file) break;
            if (n == line_read_failed) { // the caller reports it; no statement survives
                bun[0] = '\0';
                failed = true;
                break;
            }
            card_len = n;
            have_line = true;
            ++line;
        }
        int col_st = 0;
        int col_ed = 0;
        const int kind = form == form_free
                             ? free_line(card1, card_len, card_cnt > 0, &more, &col_st, &col_ed)
                             : fixed_line(card1, card_len, card_cnt > 0, &col_st, &col_ed);
        if (kind == line_next) break;               // handed back
        if (kind == line_none || col_st > col_ed) { // a line without text is consumed
            have_line = false;
            continue;
        }
        if (card_cnt == fort_card_max) {
            std::printf("#ERROR#  build_read_fort  card_cnt over [%d]\n", card_cnt);
            print_diag(1, "too many line in one statement", "build_read_fort");
            failed = true;
            break;
        }
        int piece_len = col_ed - col_st + 1;
        if (bun_len + piece_len >= bun_size) {
            std::printf("#ERROR#  build_read_fort  bun length over col_st=%d, col_ed=%d\n"
                        "                       bun=[%s], length=%d\n",
                        col_st, col_ed, bun, bun_len);
            print_diag(1, "bun buffer overflow : too long statement", "build_read_fort");
            failed = true;
            break;
        }
        ++card_cnt;
        std::memcpy(bun + bun_len, card1 + col_st, static_cast<size_t>(piece_len));
        bun_len += piece_len;
        bun[bun_len] = '\0';
        have_line = false;
    }

    if (failed) {
        cdstack[0] = '\0';
        *flg_cdstack = 0;
        return -1;
    }
    if (have_line) {
        std::memcpy(cdstack, card1, static_cast<size_t>(card_len) + 1);
        *flg_cdstack = 1;
        return line - 1;
    }
    cdstack[0] = '\0';
    *flg_cdstack = 0;
    return line;
}
