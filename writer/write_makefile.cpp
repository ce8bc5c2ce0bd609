// The writer's driver: the four sections in their fixed order, on the out stream.
#include "codes.hpp"
#include "output.hpp"
#include "writer.hpp"

bool take_writer(writer_storage& w, int line_max, int mxrmod) {
    w.b = bounds_for(line_max);
    // A dependency line holds at most line_max chars, its " \\" and a zero.
    const std::size_t dep_size = static_cast<std::size_t>(line_max) + 3;
    if (!take_table(w.dep_line, dep_size, 1, "dependency line") ||
        !take_row_index(w.seen, w.seen_rows, mxrmod, "module list index"))
        return false;
    w.seen_mask = w.seen.mask;
    return true;
}

int write_makefile(int incdir_last, int incdir_width, const char* incdir, int srcdir_last,
                   int srcdir_width, const char* srcdir, const srctab_row* srctab, int src,
                   writer_storage& w) {
    const int flavour = flavour_cl;
    int total = 0;
    int lines = output_header(flavour, w, incdir_last, incdir_width, incdir, srcdir_last,
                              srcdir_width, srcdir, srctab, src);
    if (lines > 0) {
        total += lines;
        lines = output_objs(flavour, w, srctab, src);
    }
    if (lines > 0) {
        total += lines;
        total += output_link(flavour, w);
        lines = output_srcs(flavour, w, srctab, src);
    }
    if (lines > 0) total += lines;
    // A makefile that never reached its destination (a full disk, a closed pipe) is no
    // makefile: the stream's own status decides as much as the steps do.
    const bool delivered = out_flush();
    if (lines <= 0 || !delivered) return -1;
    return total;
}
