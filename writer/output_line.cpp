// The primitives through which every makefile line passes.
#include "diag.hpp"
#include "writer.hpp"
#include "writer_parts.hpp"

#include <cstring>

line_bounds bounds_for(int line_max) {
    return {line_max, line_max + 1, line_max - 2, line_max - 3};
}

int output_line_parts(const writer_storage& w, const char* prefix, const char* text) {
    std::size_t head = std::strlen(prefix);
    std::size_t tail = std::strlen(text);
    const auto line_max = static_cast<std::size_t>(w.b.line_max);
    int result = 1;
    if (head > line_max || tail > line_max - head) {
        // The detail line goes ahead of the cut line, so a reader of the makefile sees
        // what was meant before what was written.
        report(severity::warning, "", "output_line", "#ERROR#  output_line  too long buf=[%s%s]\n",
               prefix, text);
        if (head > line_max) head = line_max;
        if (tail > line_max - head) tail = line_max - head;
        result = -1;
    }
    out_text(prefix, head);
    out_text(text, tail);
    out_text("\n", 1);
    return result;
}

int output_text_line(const writer_storage& w, const char* text, int len) {
    if (len > w.b.line_max) return output_line_parts(w, "", text);
    out_text(text, static_cast<std::size_t>(len));
    out_text("\n", 1);
    return 1;
}

int output_line(const writer_storage& w, const char* text) {
    return output_line_parts(w, "", text);
}

int output_newline() {
    out_text("\n", 1);
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
