// The C statement reader: statements end at ';', '{', '}' or the end of a preprocessor line.
#include "diag.hpp"
#include "lang.hpp"
#include "limits.hpp"
#include "line_input.hpp"

#include <cstdio>
#include <cstring>

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Scan state of one call; nothing of it outlives the call.
struct c_scan {
    bool in_string = false;
    bool in_comment = false;
};

// Scans s[col_st..col_ed] and narrows [*col_st, *col_ed] to the line's statement text.
// Sets *terminator when ';', '{' or '}' ends the statement (never in a preprocessor
// statement, which ends with its line), *comment_line when the text is a "//" comment.
void scan_line(const char* s, int* col_st, int* col_ed, bool preproc_bun, bool bun_empty,
               c_scan& st, bool* terminator, bool* comment_line) {
    int i = *col_st;
    int ed = *col_ed;
    while (i <= ed) {
        if (st.in_string) {
            while (i <= ed && s[i] != '"')
                i += (s[i] == '\\' && i < ed && s[i + 1] == '"') ? 2 : 1;
            if (i > ed) break; // still open: it carries on to the next line
            st.in_string = false;
            ++i;
            continue;
        }
        if (st.in_comment) {
            while (i < ed && !(s[i] == '*' && s[i + 1] == '/'))
                ++i;
            if (i >= ed) break;
            st.in_comment = false;
            *col_st = i + 2; // the text resumes after the comment
            i += 2;
            continue;
        }
        char c = s[i];
        if (c == ';' || c == '{' || c == '}') {
            // The statement's first character is the bun's, or this line's text start.
            bool preproc = bun_empty ? s[*col_st] == '#' : preproc_bun;
            if (!preproc) {
                ed = i;
                *terminator = true;
                break;
            }
        } else if (c == '"') {
            st.in_string = true;
        } else if (c == '/' && i < ed && s[i + 1] == '/') {
            if (i == *col_st) *comment_line = true;
            ed = i - 1;
            break;
        } else if (c == '/' && i < ed && s[i + 1] == '*') {
            if (i != *col_st) {
                ed = i - 1; // the comment comes back as a remainder and opens there
                break;
            }
            st.in_comment = true;
            i += 2;
            continue;
        }
        ++i;
    }
    // A comment still open at the end of the line opened at col_st: the line has no text,
    // also when the line ends right after its "/*".
    if (st.in_comment) ed = *col_st - 1;
    *col_ed = ed;
}

bool only_blanks(const char* s, int n) {
    for (int i = 0; i < n; ++i)
        if (!is_blank(s[i])) return false;
    return true;
}

} // namespace

int build_read_c(std::FILE* fp, char* bun, int flg_first, char* cdstack, int* flg_cdstack) {
    char cur[c_line_max + 1];
    const char* s = cur; // the current line, or the remainder of it still to be scanned
    int n = 0;           // length of s
    int line = 0;
    int bun_len = 0;
    bool have_line = false;
    bool at_eof = false;
    bool failed = false;
    bool overflow = false;
    bool continued = false; // the line before ended a preprocessor line with a backslash
    c_scan st;

    bun[0] = '\0';
    cur[0] = '\0';
    if (flg_first != 1) {
        if (*flg_cdstack == 0) return 0;
        n = static_cast<int>(std::strlen(cdstack));
        if (n > c_line_max) n = c_line_max;
        std::memcpy(cur, cdstack, static_cast<size_t>(n));
        cur[n] = '\0';
        line = 1; // counted even when nothing was handed back
        have_line = true;
    }

    for (;;) {
        if (!have_line) {
            int r = read_line(fp, cur, c_line_max, false);
            if (r == line_end_of_file) {
                at_eof = true;
                break;
            }
            if (r == line_read_failed) {
                failed = true;
                break;
            }
            s = cur;
            n = r;
            have_line = true;
            ++line;
        }
        int col_st = 0;
        while (col_st < n && is_blank(s[col_st]))
            ++col_st;
        if (col_st == n) { // empty or blank line
            have_line = false;
            // As in the C preprocessor: a continued line that is empty ends the directive.
            if (continued && !st.in_comment && !st.in_string) break;
            continue;
        }
        int col_ed = n - 1;
        bool terminator = false;
        bool comment_line = false;
        bool preproc_bun = bun_len > 0 && bun[0] == '#';
        scan_line(s, &col_st, &col_ed, preproc_bun, bun_len == 0, st, &terminator, &comment_line);

        bool spliced = false;
        if (col_st <= col_ed) {
            int end = col_ed;
            // A preprocessor line ending with a backslash goes on with the next line.
            bool preproc = bun_len > 0 ? preproc_bun : s[col_st] == '#';
            if (preproc && col_ed == n - 1 && s[col_ed] == '\\') {
                --end;
                spliced = true;
            }
            int piece_len = end - col_st + 1;
            // Blanks left after a comment do not begin a statement: a statement that began
            // with them could not be seen as a preprocessor line and would run on.
            if (bun_len > 0 || !only_blanks(s + col_st, piece_len)) {
                if (bun_len + piece_len >= bun_size) {
                    std::printf("#ERROR#  build_read_c  bun length over col_st=%d, col_ed=%d\n"
                                "                       bun=[%s], length=%d\n",
                                col_st, col_ed, bun, bun_len);
                    print_diag(1, "bun buffer overflow : too long statement", "build_read_c");
                    failed = overflow = true;
                    break;
                }
                std::memcpy(bun + bun_len, s + col_st, static_cast<size_t>(piece_len));
                bun_len += piece_len;
                bun[bun_len] = '\0';
            }
        } else if (st.in_comment || comment_line) {
            have_line = false;
            if (continued && comment_line) break; // a continued line holding only a comment
            continued = false;                    // a comment left open carries the line on
            continue;
        }
        continued = spliced;

        if (col_ed < n - 1) { // the rest of the line begins the next scan
            s += col_ed + 1;
            n -= col_ed + 1;
        } else {
            have_line = false;
        }

        if (terminator) break;
        if (st.in_comment || st.in_string || spliced) continue;
        if (bun_len > 0 && bun[0] == '#') break;
    }

    if (failed || at_eof) {
        // An unfinished statement at the end of the file, or a failed read, leaves nothing
        // of use; an over-long statement stays as it was reported.
        if (!overflow) bun[0] = '\0';
        cdstack[0] = '\0';
        *flg_cdstack = 0;
        return failed ? -1 : 0;
    }
    int rtn = line;
    if (have_line) {
        rtn = line - 1 < 1 ? 1 : line - 1;
        std::memmove(cdstack, s, static_cast<size_t>(n));
        cdstack[n] = '\0';
    } else {
        cdstack[0] = '\0';
    }
    *flg_cdstack = 1;
    return rtn;
}
