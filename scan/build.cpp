// Source enumeration: walks the classified arguments and hands every source file, wildcard
// arguments expanded in sorted order, to build_file.
#include "scan_run.hpp"

#include "codes.hpp"
#include "diag.hpp"
#include "dirlib.hpp"
#include "platform.hpp"

#include <cstdio>
#include <cstring>

namespace {

// What every source of the walk shares.
struct walk {
    project& q;
    scan_run& run;
    directory_cache& dirs;
};

// Takes the next source row and processes the file name into it. 0 or -1.
int process_source(const chain& c, const char* name, walk& w) {
    chain source = c;
    source.source = &w.q.srctab[w.q.src];
    ++w.q.src;
    return build_file_run(0, source, name, nullptr, w.q, w.run);
}

// Expands one wildcard pattern through opndir and rddir. Returns false on failure.
bool scan_pattern(const chain& c, const char* path1, walk& w) {
    const int handle = 0;
    const int quote = 0;
    const int pathlen = static_cast<int>(std::strlen(path1));
    int ierror = 0;
    int dirlen = 0;
    char dirbuf[path_size];
    opndir(ierror, handle, pathlen, path1, dirlen, dirbuf, quote);
    if (ierror != 0) {
        std::printf("#ERROR#  build  opndir error path1[%s]\n", path1);
        print_diag(1, "opndir error no such file", "build");
        return false;
    }
    bool ok = true;
    char name[path_size + 1]; // a full buffer of entry name plus its terminator
    for (;;) {
        int buflen = path_size;
        int itype = 0;
        int namelen = 0;
        rddir(ierror, handle, buflen, itype, namelen, name);
        if (ierror != 0) {
            if (itype != -1) {
                std::printf("#ERROR#    build  invalid file type path1[%s]\n\t\t\tierror=%d, "
                            "itype=%d\n",
                            path1, ierror, itype);
                print_diag(1, "build  invalid file type", "build");
                ok = false;
            }
            break;
        }
        // A name longer than the buffer arrives cut; its full length only tells us so.
        name[namelen < buflen ? namelen : buflen] = '\0';
        if (process_source(c, name, w) != 0) {
            ok = false;
            break;
        }
    }
    clsdir(ierror, handle);
    if (ierror != 0) {
        std::printf("#ERROR#  build  path1[%s] clsdir error\n", path1);
        print_diag(1, "build  path1 clsdir error", "build");
        ok = false;
    }
    return ok;
}

// Expands one wildcard argument: from the run's listing of its directory when that can
// serve, else through the directory scan. Returns false on failure.
bool process_wildcard(const chain& c, const char* srcfil, walk& w) {
    char path1[path_size];
    if (mprc_filename(path1, c.srcdir, srcfil, '\\') != 0) {
        std::printf("#ERROR#  build  srcdir[%s] srcfil[%s] too long \n", c.srcdir, srcfil);
        print_diag(1, "build  too long srource & file name", "build");
        return false;
    }
    std::vector<const char*> names;
    if (!cached_matches(w.dirs, path1, names)) return scan_pattern(c, path1, w);
    char name[path_size + 1];
    for (const char* listed : names) {
        std::snprintf(name, sizeof name, "%s", listed); // cut as rddir cuts it
        if (process_source(c, name, w) != 0) return false;
    }
    return true;
}

} // namespace

int build(int argcnt, const argtab_row* argtab, int incdir_width, char* incdir, int srcdir_width,
          char* srcdir, int srcfil_width, char* srcfil, project& p) {
    allow_many_open_files(); // every level of an include chain holds one open stream
    project q = p;           // counts are handed back only on success
    // Lookups beside the tables and the include cache make a large run linear; without the
    // memory for them the run goes on without, to the same result.
    table_index index;
    if (table_index_open(index, q)) q.index = &index;
    include_cache cache;
    scan_run run;
    if (include_cache_open(cache, mxinc)) run.cache = &cache;
    directory_cache dirs;
    walk w{q, run, dirs};
    int mode = inctype_own_dir;
    bool ok = true;
    for (int iarg = 0; iarg < argcnt && ok; ++iarg) {
        const argtab_row& arg = argtab[iarg];
        if (arg.type == argtype_bare_include || arg.type == argtype_include) {
            mode = arg.type == argtype_include ? inctype_incdir : inctype_own_dir;
            continue;
        }
        if (arg.type != argtype_source) {
            std::printf("#ERROR#  build invalid type=%d arg_no=%d\n", arg.type, iarg);
            print_diag(0, "invalid argtab->type", "build");
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
            ok = process_wildcard(c, sfil, w);
        else
            ok = process_source(c, sfil, w) == 0;
    }
    q.index = nullptr;
    if (!ok) return -1;
    p = q;
    return 0;
}
