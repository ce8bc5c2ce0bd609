// Source enumeration: walks the classified arguments and hands every source file, wildcard
// arguments expanded in sorted order, to build_file.
#include "scan_run.hpp"

#include "codes.hpp"
#include "diag.hpp"
#include "dir_listing.hpp"
#include "dirlib.hpp"

#include <cstdio>
#include <cstring>

namespace {

// Takes the next source row and processes the file name into it. 0 or -1.
int process_source(const chain& c, const char* name, project& p, scan_run& run) {
    chain source = c;
    source.source = &p.srctab[p.src];
    ++p.src;
    return build_file(0, source, name, nullptr, p, run);
}

// Expands one wildcard argument and processes every file it names. False on failure.
bool process_wildcard(const chain& c, const char* srcfil, project& p, scan_run& run) {
    char path1[path_size];
    if (mprc_filename(path1, c.srcdir, srcfil, '\\') != 0) {
        report(severity::error, "build  too long srource & file name", "build",
               "#ERROR#  build  srcdir[%s] srcfil[%s] too long \n", c.srcdir, srcfil);
        return false;
    }
    std::vector<const char*> names;
    if (!expand_pattern(run.listings, path1, names)) {
        report(severity::error, "opndir error no such file", "build",
               "#ERROR#  build  opndir error path1[%s]\n", path1);
        return false;
    }
    char name[path_size + 1]; // a file name as the directory scan would hand it out: cut
    for (const char* listed : names) {
        std::snprintf(name, sizeof name, "%s", listed);
        if (process_source(c, name, p, run) != 0) return false;
    }
    return true;
}

} // namespace

bool take_scan(scan_storage& s, int mxinc) {
    s.rows = mxinc;
    return take_table(s.replays, static_cast<std::size_t>(mxinc), readings_per_row, "include cache",
                      true);
}

int build(int argcnt, const argtab_row* argtab, int incdir_width, char* incdir, int srcdir_width,
          char* srcdir, int srcfil_width, char* srcfil, project& p, scan_storage& s) {
    allow_many_open_files(); // every level of an include chain holds one open stream
    set_dirlib_reports(out_stream());
    project q = p; // counts are handed back only on success
    scan_run run(s, p.cap.mxname);
    int mode = inctype_own_dir;
    bool ok = true;
    for (int iarg = 0; iarg < argcnt && ok; ++iarg) {
        const argtab_row& arg = argtab[iarg];
        if (arg.type == argtype_bare_include || arg.type == argtype_include) {
            mode = arg.type == argtype_include ? inctype_incdir : inctype_own_dir;
            continue;
        }
        if (arg.type != argtype_source) {
            report(severity::warning, "invalid argtab->type", "build",
                   "#ERROR#  build invalid type=%d arg_no=%d\n", arg.type, iarg);
            ok = false;
            break;
        }
        // Fetched in this order, as a faulty row position reports each of them in turn.
        const char* sdir = mprc_table_add(srcdir, srcdir_width, arg.srcdir_no);
        const char* sfil = mprc_table_add(srcfil, srcfil_width, arg.srcfil_no);
        const char* idir = mprc_table_add(incdir, incdir_width, arg.incdir_no);
        const chain c{lang_none,     form_fixed, mode,          idir,
                      arg.incdir_no, sdir,       arg.srcdir_no, nullptr};
        if (std::strpbrk(sfil, "*?") != nullptr)
            ok = process_wildcard(c, sfil, q, run);
        else
            ok = process_source(c, sfil, q, run) == 0;
    }
    set_dirlib_reports(nullptr);
    if (!ok) return -1;
    p = q;
    return 0;
}
