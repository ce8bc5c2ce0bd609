// The run: options, allocation, classification, scan, module check, makefile, release.
#include "diag.hpp"
#include "driver.hpp"
#include "scan.hpp"
#include "tables.hpp"
#include "writer.hpp"

#include <climits>
#include <cstddef>

namespace {

// Everything the run needs, taken together before anything is used and released together
// whatever way the run ends.
struct run_storage {
    table_storage<argtab_row> argtab;
    table_storage<char> incdir, srcdir, srcfil;
    table_storage<const char*> extnam;
    project_storage tables;
    scan_storage scan;
    writer_storage writer;
};

// Takes the argument tables (rows of width chars), the project tables at p.cap with their
// index, and the scan's and the writer's storage. False after the report of a shortfall.
bool take_all(run_storage& s, std::size_t rows, std::size_t width, project& p) {
    return take_table(s.argtab, rows, 1, "argtab") && take_table(s.incdir, rows, width, "incdir") &&
           take_table(s.srcdir, rows, width, "srcdir") &&
           take_table(s.srcfil, rows, width, "srcfil") && take_table(s.extnam, rows, 1, "extnam") &&
           take_project(p, s.tables) && take_scan(s.scan, p.cap.mxinc) &&
           take_writer(s.writer, p.cap.mxline, p.cap.mxrmod);
}

// Every used module needs a defining source, except those the compiler brings along and those
// the user named as provided outside the project.
int check_modules(const project& p) {
    for (int i = 0; i < p.mod; ++i) {
        const modtab_row& m = p.modtab[i];
        if (m.source != nullptr || is_compiler_module(m.name) || is_external_module(p.ext, m.name))
            continue;
        report(severity::error, "module source is not found", "mprc",
               "#ERROR#  module source is not found  module=[%s]\n", m.name);
        return -1;
    }
    return 0;
}

} // namespace

int mprc(int width_base, int argc, char** argv) {
    if (argc <= 1) {
        print_usage();
        return 1;
    }
    project p;
    int first = mprc_options(argc, argv, p.cap);
    if (first < 0) return -1;

    // Rows must hold the longest argument whatever the caller measured.
    std::size_t width = longest_argument(argc, argv) + 2;
    if (width_base > 0 && static_cast<std::size_t>(width_base) + 1 > width)
        width = static_cast<std::size_t>(width_base) + 1;
    const std::size_t rows = static_cast<std::size_t>(argc) + 3;
    if (width > INT_MAX) {
        report(severity::error, "table allocation error", "mprc",
               "#ERROR#  mprc  table allocation error  row width=%zu\n", width);
        return -1;
    }
    run_storage s;
    if (!take_all(s, rows, width, p)) return -1;

    arg_tables t;
    t.argtab = s.argtab.get();
    t.width = static_cast<int>(width);
    t.incdir = s.incdir.get();
    t.srcdir = s.srcdir.get();
    t.srcfil = s.srcfil.get();
    t.extnam = s.extnam.get();
    int status = mprc_classify(first, argc, argv, t);
    if (status != 0) return status;
    p.ext = {t.extnam, t.ext_cnt};

    if (build(t.argcnt, t.argtab, t.width, t.incdir, t.width, t.srcdir, t.width, t.srcfil, p,
              s.scan) != 0)
        return -1;
    if (check_modules(p) != 0) return -1;
    if (write_makefile(t.incdir_last, t.width, t.incdir, t.srcdir_last, t.width, t.srcdir, p.srctab,
                       p.src, s.writer) <= 0) {
        report(severity::error, "output error", "mprc", "#ERROR#  mprc  output error\n");
        return -1;
    }
    return 0;
}
