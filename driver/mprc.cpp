// The run: options, allocation, classification, scan, module check, makefile, release.
#include "diag.hpp"
#include "driver.hpp"
#include "scan.hpp"
#include "tables.hpp"
#include "writer.hpp"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

namespace {

// Allocates rows * width elements, uninitialised: every row is written before it is read.
// A size that cannot be formed or allocated is reported, and the run ends before any table
// is used.
template <class T>
bool allocate(std::unique_ptr<T[]>& table, std::size_t rows, std::size_t width, const char* name) {
    if (width != 0 && rows <= SIZE_MAX / width / sizeof(T))
        table.reset(new (std::nothrow) T[rows * width]);
    if (table) return true;
    std::printf("#ERROR#  mprc  table allocation error  table=[%s] rows=%zu\n", name, rows);
    print_diag(1, "table allocation error", "mprc");
    return false;
}

// Every table of the run, released together whatever way the run ends.
struct run_storage {
    std::unique_ptr<argtab_row[]> argtab;
    std::unique_ptr<char[]> incdir, srcdir, srcfil;
    std::unique_ptr<srctab_row[]> srctab;
    std::unique_ptr<inctab_row[]> inctab;
    std::unique_ptr<refinctab_row[]> refinctab;
    std::unique_ptr<modtab_row[]> modtab;
    std::unique_ptr<rmodtab_row[]> rmodtab;
};

bool allocate_all(run_storage& s, std::size_t rows, std::size_t width) {
    return allocate(s.argtab, rows, 1, "argtab") && allocate(s.incdir, rows, width, "incdir") &&
           allocate(s.srcdir, rows, width, "srcdir") && allocate(s.srcfil, rows, width, "srcfil") &&
           allocate(s.srctab, static_cast<std::size_t>(mxsrc), 1, "srctab") &&
           allocate(s.inctab, static_cast<std::size_t>(mxinc), 1, "inctab") &&
           allocate(s.refinctab, static_cast<std::size_t>(mxrinc), 1, "refinctab") &&
           allocate(s.modtab, static_cast<std::size_t>(mxmod), 1, "modtab") &&
           allocate(s.rmodtab, static_cast<std::size_t>(mxrmod), 1, "rmodtab");
}

// Every used module needs a defining source, except those the compiler brings along.
int check_modules(const project& p) {
    for (int i = 0; i < p.mod; ++i) {
        const modtab_row& m = p.modtab[i];
        if (m.source != nullptr || is_compiler_module(m.name)) continue;
        std::printf("#ERROR#  module source is not found  module=[%s]\n", m.name);
        print_diag(1, "module source is not found", "mprc");
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
    int first = mprc_options(argc, argv);
    if (first < 0) return -1;

    // Rows must hold the longest argument whatever the caller measured.
    std::size_t longest = longest_argument(argc, argv);
    std::size_t width = longest + 2;
    if (width_base > 0 && static_cast<std::size_t>(width_base) + 1 > width)
        width = static_cast<std::size_t>(width_base) + 1;
    std::size_t rows = static_cast<std::size_t>(argc) + 3;

    if (width > INT_MAX) {
        std::printf("#ERROR#  mprc  table allocation error  row width=%zu\n", width);
        print_diag(1, "table allocation error", "mprc");
        return -1;
    }
    run_storage s;
    if (!allocate_all(s, rows, width)) return -1;

    arg_tables t;
    t.argtab = s.argtab.get();
    t.width = static_cast<int>(width);
    t.incdir = s.incdir.get();
    t.srcdir = s.srcdir.get();
    t.srcfil = s.srcfil.get();
    int status = mprc_classify(first, argc, argv, t);
    if (status != 0) return status;

    project p;
    p.srctab = s.srctab.get();
    p.inctab = s.inctab.get();
    p.refinctab = s.refinctab.get();
    p.modtab = s.modtab.get();
    p.rmodtab = s.rmodtab.get();
    if (build(t.argcnt, t.argtab, t.width, t.incdir, t.width, t.srcdir, t.width, t.srcfil, p) != 0)
        return -1;
    if (check_modules(p) != 0) return -1;
    if (write_makefile(t.incdir_last, t.width, t.incdir, t.srcdir_last, t.width, t.srcdir, p.srctab,
                       p.src) <= 0) {
        std::printf("#ERROR#  mprc  output error\n");
        print_diag(1, "output error", "mprc");
        return -1;
    }
    return 0;
}
