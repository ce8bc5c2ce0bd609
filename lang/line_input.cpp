// Physical lines out of a file read in large blocks: one read a block, lines found with
// memchr, so that the readers cost about what reading the file costs.
#include "line_input.hpp"
#include "diag.hpp"
#include "limits.hpp"

#include <cstdio>
#include <cstring>

namespace {

// read_line looks ahead over a whole piece and the two bytes (CR LF) that may end it.
static_assert(c_line_max + 2 <= text_block_min && fort_line_max <= c_line_max);

char* bytes(text_input& in) {
    return in.block;
}

// Makes at least want bytes available from in.pos, unless the stream ends first; returns
// how many are. The bytes not yet handed out move to the front of the block to make room.
std::size_t fill(text_input& in, std::size_t want) {
    if (in.end - in.pos >= want || in.at_end) return in.end - in.pos;
    char* b = bytes(in);
    const std::size_t size = in.block_size;
    std::memmove(b, b + in.pos, in.end - in.pos);
    in.end -= in.pos;
    in.pos = 0;
    while (in.end < want && !in.at_end) {
        const std::size_t room = size - in.end;
        const std::size_t got = std::fread(b + in.end, 1, room, in.fp);
        in.end += got;
        // A short count means the end of the file or a failure; should a library return one
        // without either (text-mode translation), the loop reads on.
        if (got < room && (got == 0 || std::feof(in.fp) || std::ferror(in.fp))) {
            in.at_end = true;
            in.failed = std::ferror(in.fp) != 0;
        }
    }
    return in.end - in.pos;
}

// Throws away the rest of the current line, its newline included. False on a failed read.
bool skip_line(text_input& in) {
    for (;;) {
        const char* b = bytes(in);
        const void* nl = std::memchr(b + in.pos, '\n', in.end - in.pos);
        if (nl) {
            in.pos = static_cast<std::size_t>(static_cast<const char*>(nl) - b) + 1;
            return true;
        }
        in.pos = in.end;
        if (fill(in, 1) == 0) return !in.failed;
    }
}

// After a full piece of max characters: consumes what ends the line there (a newline, CR LF,
// or with skip_rest the whole rest), else leaves the rest to be read and says so.
// n is the piece's length, less a CR right before a newline. False on a failed read.
bool end_piece(text_input& in, char* buf, int& n, bool skip_rest) {
    const std::size_t avail = in.end - in.pos;
    const char* b = bytes(in) + in.pos;
    if (avail == 0) return !in.failed;
    if (b[0] == '\n') {
        ++in.pos;
        if (buf[n - 1] == '\r') --n;
        return true;
    }
    if (skip_rest) return skip_line(in);
    if (b[0] == '\r') {
        if (avail == 1) {
            if (in.failed) return false;
            // A last CR without a newline is text of the next piece.
        } else if (b[1] == '\n') {
            in.pos += 2;
            return true;
        } else {
            ++in.pos; // a lone CR right after a full piece is lost, as it always was
        }
    }
    in.rest_unread = in.end > in.pos;
    return true;
}

} // namespace

void text_open(text_input& in, std::FILE* fp, char* block, std::size_t size) {
    in.fp = fp;
    in.block = block;
    in.block_size = size;
    in.pos = 0;
    in.end = 0;
    in.at_end = false;
    in.failed = false;
    in.rest_unread = false;
}

int read_line(text_input& in, char* buf, int max, bool skip_rest) {
    in.rest_unread = false;
    const std::size_t avail = fill(in, static_cast<std::size_t>(max) + 2);
    if (avail == 0) return in.failed ? line_read_failed : line_end_of_file;
    const char* b = bytes(in) + in.pos;
    const std::size_t span = avail < static_cast<std::size_t>(max) ? avail : max;
    const void* nl = std::memchr(b, '\n', span);
    int n = static_cast<int>(nl ? static_cast<const char*>(nl) - b : span);
    std::memcpy(buf, b, static_cast<std::size_t>(n));
    in.pos += static_cast<std::size_t>(n);
    if (nl) {
        ++in.pos;
        if (n > 0 && buf[n - 1] == '\r') --n;
    } else if (n < max) {
        if (in.failed) return line_read_failed; // the file ends inside the line
    } else if (!end_piece(in, buf, n, skip_rest)) {
        return line_read_failed;
    }
    if (const void* nul = std::memchr(buf, '\0', static_cast<std::size_t>(n)))
        n = static_cast<int>(static_cast<const char*>(nul) - buf);
    buf[n] = '\0';
    return n;
}

char next_unread(const text_input& in) {
    // rest_unread promises a byte read ahead at pos.
    return in.rest_unread ? in.block[in.pos] : '\0';
}

void skip_byte_order_mark(text_input& in) {
    static constexpr char mark[] = "\xEF\xBB\xBF";
    constexpr std::size_t mark_len = sizeof mark - 1;
    if (fill(in, mark_len) >= mark_len && std::memcmp(bytes(in) + in.pos, mark, mark_len) == 0)
        in.pos += mark_len;
}

int take_pending(text_input& in, int flg_first, const char* cdstack, int flg_cdstack, char* line,
                 int max) {
    line[0] = '\0';
    if (flg_first == 1) {
        skip_byte_order_mark(in);
        return pending_none;
    }
    if (flg_cdstack == 0) return pending_done;
    const void* nul = std::memchr(cdstack, '\0', static_cast<std::size_t>(max));
    const int len = nul ? static_cast<int>(static_cast<const char*>(nul) - cdstack) : max;
    std::memcpy(line, cdstack, static_cast<std::size_t>(len));
    line[len] = '\0';
    return len;
}

bool append_text(char* bun, int& bun_len, const char* text, int col_st, int col_ed, int end,
                 const char* tag) {
    const int piece_len = end - col_st + 1;
    if (bun_len + piece_len >= bun_size) {
        report(severity::error, "bun buffer overflow : too long statement", tag,
               "#ERROR#  %s  bun length over col_st=%d, col_ed=%d\n"
               "                       bun=[%s], length=%d\n",
               tag, col_st, col_ed, bun, bun_len);
        return false;
    }
    std::memcpy(bun + bun_len, text + col_st, static_cast<std::size_t>(piece_len));
    bun_len += piece_len;
    bun[bun_len] = '\0';
    return true;
}
