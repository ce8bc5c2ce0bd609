// Source enumeration: walks the classified arguments and hands every source file, wildcard
// arguments expanded in sorted order, to build_file.
#include "include_cache.hpp"
#include "scan.hpp"

#include "diag.hpp"
#include "dirlib.hpp"
#include "platform.hpp"

#include <cstdio>
#include <cstring>

namespace {

// Takes the next source row and processes the file name into it.
int process_source(int mode, const char* incdir, const char* srcdir, const char* name,
                   const argtab_row& arg, project& q, scan_run& run) {
    srctab_row* row = &q.srctab[q.src];
    ++q.src;
    return build_file_run(0, lang_none, mode, incdir, srcdir, name, arg.incdir_no, arg.srcdir_no,
                          row, q, nullptr, run);
}

// Expands one wildcard argument through the directory scan. Returns false on failure.
bool process_wildcard(int mode, const char* incdir, const char* srcdir, const char* srcfil,
                      const argtab_row& arg, project& q, scan_run& run) {
    char path1[path_size];
    if (mprc_filename(path1, srcdir, srcfil, '\\') != 0) {
        std::printf("#ERROR#  build  srcdir[%s] srcfil[%s] too long \n", srcdir, srcfil);
        print_diag(1, "build  too long srource & file name", "build");
        return false;
    }
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
            if (itype != itype_none) {
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
        if (process_source(mode, incdir, srcdir, name, arg, q, run) != 0) {
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

} // namespace

int build(int argcnt, const argtab_row* argtab, int incdir_width, char* incdir, int srcdir_width,
          char* srcdir, int srcfil_width, char* srcfil, project& p) {
    // Every level of an include chain holds one open stream; allow as many as the runtime can.
    allow_many_open_files();
    project q = p; // counts are handed back only on success
    // Lookups beside the tables and the include cache make a large run linear; without the
    // memory for them the run goes on without, to the same result.
    table_index index;
    if (table_index_open(index, q)) q.index = &index;
    include_cache cache;
    scan_run run;
    if (include_cache_open(cache, mxinc)) run.cache = &cache;
    int mode = inctype_own_dir;
    bool ok = true;
    for (int iarg = 0; iarg < argcnt && ok; ++iarg) {
        const argtab_row& arg = argtab[iarg];
        if (arg.type == argtype_bare_include) {
            mode = inctype_own_dir;
        } else if (arg.type == argtype_include) {
            mode = inctype_incdir;
        } else if (arg.type == argtype_source) {
            const char* sdir = mprc_table_add(srcdir, srcdir_width, arg.srcdir_no);
            const char* sfil = mprc_table_add(srcfil, srcfil_width, arg.srcfil_no);
            const char* idir = mprc_table_add(incdir, incdir_width, arg.incdir_no);
            const bool wild = std::strpbrk(sfil, "*?") != nullptr;
            if (wild) {
                ok = process_wildcard(mode, idir, sdir, sfil, arg, q, run);
            } else {
                ok = process_source(mode, idir, sdir, sfil, arg, q, run) == 0;
            }
        } else {
            std::printf("#ERROR#  build invalid type=%d arg_no=%d\n", arg.type, iarg);
            print_diag(0, "invalid argtab->type", "build");
            ok = false;
        }
    }
    q.index = nullptr;
    if (!ok) return -1;
    p = q;
    return 0;
}
