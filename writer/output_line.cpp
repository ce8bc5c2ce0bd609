// The two primitives through which every makefile line passes.
#include "diag.hpp"
#include "line_parts.hpp"
#include "writer.hpp"

#include <cstdio>
#include <cstring>

int output_line_parts(std::FILE* fp, const char* prefix, const char* text) {
    std::size_t head = std::strlen(prefix);
    std::size_t tail = std::strlen(text);
    int result = 1;
    if (head + tail > static_cast<std::size_t>(makefile_line_max)) {
        // The detail line goes ahead of the cut line, so a reader of the makefile sees
        // what was meant before what was written.
        std::printf("#ERROR#  output_line  too long buf=[%s%s]\n", prefix, text);
        print_diag(0, "", "output_line");
        if (head > static_cast<std::size_t>(makefile_line_max)) head = makefile_line_max;
        tail = makefile_line_max - head < tail ? makefile_line_max - head : tail;
        result = -1;
    }
    std::fprintf(fp, "%.*s%.*s\n", static_cast<int>(head), prefix, static_cast<int>(tail), text);
    return result;
}

int output_line(std::FILE* fp, const char* text) {
    return output_line_parts(fp, "", text);
}

int output_newline(std::FILE* fp) {
    std::fputc('\n', fp);
    return 1;
}
