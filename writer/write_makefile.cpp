// The writer's driver: the four sections in their fixed order, on standard output.
#include "codes.hpp"
#include "writer.hpp"

#include <cstdio>

int write_makefile(int incdir_last, int incdir_width, const char* incdir, int srcdir_last,
                   int srcdir_width, const char* srcdir, const srctab_row* srctab, int src) {
    const int flavour = flavour_cl;
    std::FILE* fp = stdout;
    int total = 0;
    int lines = output_header(flavour, fp, incdir_last, incdir_width, incdir, srcdir_last,
                              srcdir_width, srcdir, srctab, src);
    if (lines > 0) {
        total += lines;
        lines = output_objs(flavour, fp, srctab, src);
    }
    if (lines > 0) {
        total += lines;
        total += output_link(flavour, fp);
        lines = output_srcs(flavour, fp, srctab, src);
    }
    if (lines > 0) total += lines;
    // A makefile that never reached its destination (a full disk, a closed pipe) is no
    // makefile: the stream's own status decides as much as the steps do.
    bool stream_failed = std::fflush(fp) != 0 || std::ferror(fp) != 0;
    if (lines <= 0 || stream_failed) return -1;
    return total;
}
