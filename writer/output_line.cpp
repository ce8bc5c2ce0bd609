// The primitives through which every makefile line passes, and the block they fill.
#include "diag.hpp"
#include "out_block.hpp"
#include "writer.hpp"

#include <cstring>

out_block::~out_block() {
    block_flush(*this);
}

void block_flush(out_block& out) {
    if (out.len == 0) return;
    // A short write leaves the stream's error indicator set; write_makefile reads it.
    std::fwrite(out.data, 1, out.len, out.fp);
    out.len = 0;
}

int block_line(out_block& out, const char* text, int len) {
    if (len > makefile_line_max) {
        block_flush(out);
        return output_line_parts(out.fp, "", text);
    }
    if (out.len + static_cast<std::size_t>(len) + 1 > out_block::capacity) block_flush(out);
    std::memcpy(out.data + out.len, text, static_cast<std::size_t>(len));
    out.len += static_cast<std::size_t>(len);
    out.data[out.len++] = '\n';
    return 1;
}

int block_newline(out_block& out) {
    if (out.len + 1 > out_block::capacity) block_flush(out);
    out.data[out.len++] = '\n';
    return 1;
}

int output_line_parts(std::FILE* fp, const char* prefix, const char* text) {
    std::size_t head = std::strlen(prefix);
    std::size_t tail = std::strlen(text);
    constexpr auto line_max = static_cast<std::size_t>(makefile_line_max);
    int result = 1;
    if (head + tail > line_max) {
        // The detail line goes ahead of the cut line, so a reader of the makefile sees
        // what was meant before what was written.
        std::printf("#ERROR#  output_line  too long buf=[%s%s]\n", prefix, text);
        print_diag(0, "", "output_line");
        if (head > line_max) head = line_max;
        if (tail > line_max - head) tail = line_max - head;
        result = -1;
    }
    char line[line_buf_size];
    std::memcpy(line, prefix, head);
    std::memcpy(line + head, text, tail);
    line[head + tail] = '\n';
    std::fwrite(line, 1, head + tail + 1, fp);
    return result;
}

int output_line(std::FILE* fp, const char* text) {
    return output_line_parts(fp, "", text);
}

int output_newline(std::FILE* fp) {
    std::fputc('\n', fp);
    return 1;
}

int put_decimal(char* at, int value) {
    // Through unsigned, so that the most negative int has its digits too.
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    char digits[sizeof "4294967295"];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int len = 0;
    if (value < 0) at[len++] = '-';
    while (n > 0)
        at[len++] = digits[--n];
    return len;
}

int put_dir_macro(char* at, const char* name, int no) {
    constexpr int name_len = sizeof "SRCDIR" - 1;
    int len = 0;
    at[len++] = '$';
    at[len++] = '(';
    std::memcpy(at + len, name, name_len);
    len += name_len;
    if (no != 0) len += put_decimal(at + len, no);
    at[len++] = ')';
    return len;
}
