// The character source of the C reader: pieces of lines, their count, the hand-back.
#include "c_source.hpp"

#include <cstring>

bool source_start(c_source& src, text_input& in, int flg_first, const char* cdstack,
                  int flg_cdstack) {
    src.in = &in;
    const int got = take_pending(in, flg_first, cdstack, flg_cdstack, src.piece, c_line_max);
    if (got == pending_done) return false;
    if (got >= 0) {
        src.n = got;
        src.line = 1;
        src.held = true;
    }
    return true;
}

int next_piece(c_source& src) {
    const int got = read_line(*src.in, src.piece, c_line_max, false);
    if (got < 0) return got == line_read_failed ? -1 : 0;
    src.s = src.piece;
    src.n = got;
    src.held = true;
    ++src.line;
    return 1;
}

void keep_rest(c_source& src, int from) {
    src.held = from < src.n;
    src.s += from;
    src.n -= from;
}

bool skip_line_rest(c_source& src) {
    src.held = false;
    while (rest_unread(src)) {
        const int got = read_line(*src.in, src.piece, c_line_max, false);
        if (got < 0) return got != line_read_failed;
        ++src.line;
    }
    return true;
}

int hand_back(const c_source& src, char* cdstack) {
    if (!src.held) {
        cdstack[0] = '\0';
        return src.line;
    }
    std::memmove(cdstack, src.s, static_cast<std::size_t>(src.n));
    cdstack[src.n] = '\0';
    return src.line > 1 ? src.line - 1 : 1;
}
