// Physical-line input shared by the two statement readers (internal to lang/).
#pragma once

#include <cstdio>

#if defined(_WIN32)
#define ZK_GETC(fp) _getc_nolock(fp)
#else
#define ZK_GETC(fp) getc_unlocked(fp)
#endif

// What read_line found besides a line.
constexpr int line_end_of_file = -1; // nothing left to read
constexpr int line_read_failed = -2; // the stream reported an error

// Reads one line of at most max characters into buf (max + 1 bytes) and returns its length,
// or one of the two codes above. The newline is not stored, and a carriage return right
// before it is dropped, so CR LF and LF files read alike and the limit counts text only.
// With skip_rest the rest of a longer line is read and thrown away; without it the rest
// stays in the stream and comes back as the next line. The text ends at the first NUL
// byte, as a NUL-terminated line would: the characters after it are read but not kept.
// Each character is fetched once, with no allocation and no locking per character.
// more, when given, tells whether the rest of a longer line is still in the stream.
inline int read_line(std::FILE* fp, char* buf, int max, bool skip_rest, bool* more = nullptr) {
    if (more) *more = false;
    int n = 0;
    int nul_at = -1;
    int c = 0;
    while (n < max) {
        c = ZK_GETC(fp);
        if (c == EOF) {
            if (std::ferror(fp)) return line_read_failed;
            if (n == 0) return line_end_of_file;
            break;
        }
        if (c == '\n') {
            if (n > 0 && buf[n - 1] == '\r') --n;
            break;
        }
        if (c == 0 && nul_at < 0) nul_at = n;
        buf[n++] = static_cast<char>(c);
    }
    if (n == max) {
        // The buffer is full: find out whether the line ends here, so that a line of exactly
        // max characters is one line and not a line followed by an empty one.
        c = ZK_GETC(fp);
        if (c == EOF) {
            if (std::ferror(fp)) return line_read_failed;
        } else if (c == '\n') {
            if (buf[n - 1] == '\r') --n;
        } else if (skip_rest) {
            while (c != '\n') {
                c = ZK_GETC(fp);
                if (c == EOF) {
                    if (std::ferror(fp)) return line_read_failed;
                    break;
                }
            }
        } else if (c == '\r') {
            int c2 = ZK_GETC(fp);
            if (c2 == EOF) {
                if (std::ferror(fp)) return line_read_failed;
                std::ungetc('\r', fp); // a last CR without a newline is text of the next piece
                if (more) *more = true;
            } else if (c2 != '\n') {
                // Only one character can go back: a lone CR right after a full piece is lost.
                std::ungetc(c2, fp);
                if (more) *more = true;
            }
        } else {
            std::ungetc(c, fp);
            if (more) *more = true;
        }
    }
    if (nul_at >= 0 && nul_at < n) n = nul_at;
    buf[n] = '\0';
    return n;
}

// Consumes the UTF-8 byte-order mark (EF BB BF) that many Windows editors write at the start
// of a file, so that it is not read as text of the first line. fp must not have been read
// yet. Anything else stays to be read: a first byte that is not EF goes back with ungetc, the
// bytes of a partial mark by a seek to the start (or, on a stream that cannot seek, by
// ungetc in turn, which the common libraries allow for a few bytes just read).
inline void skip_byte_order_mark(std::FILE* fp) {
    static constexpr unsigned char mark[3] = {0xEF, 0xBB, 0xBF};
    int got[3] = {};
    int n = 0;
    while (n < 3) {
        got[n] = ZK_GETC(fp);
        if (got[n] != mark[n]) break;
        ++n;
    }
    if (n == 3) return;
    if (got[n] == EOF) {
        if (n == 0 || std::ferror(fp)) return; // an empty file, or a failure the reader reports
    } else if (n == 0) {
        std::ungetc(got[0], fp);
        return;
    }
    if (std::fseek(fp, 0, SEEK_SET) == 0) return;
    for (int k = got[n] == EOF ? n - 1 : n; k >= 0; --k)
        std::ungetc(got[k], fp);
}
