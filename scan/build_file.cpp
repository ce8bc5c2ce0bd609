// File processing: reads one source file and, depth first, every include file it reaches,
// recording what the statements declare in the project tables. The include levels live on
// a heap stack, not the call stack, so nesting is bounded only by the include table and
// by the files the process may open. An include file that the run has read to its end once
// is not read again: its recorded statements are replayed, with the same table operations
// in the same order, so the tables and reports come out the same.
#include "include_cache.hpp"
#include "scan.hpp"

#include "ascii.hpp"
#include "codes.hpp"
#include "diag.hpp"
#include "dirlib.hpp"
#include "lang.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace {

// Input blocks: a large one for the source file; include levels get a smaller one each, and
// levels deeper than this many use the input's own, so a very deep chain stays cheap.
constexpr std::size_t source_buffer_size = std::size_t{1} << 16;
constexpr std::size_t include_buffer_size = std::size_t{1} << 14;
constexpr int buffered_levels = 32;

// The include marks: an entry whose flg_ref equals the generation has been read for the
// source now being processed. Each source takes a new generation, which clears every mark at
// once; new entries start at 0, which no generation takes.
int generation = 0;

void next_generation(project& p) {
    if (generation == INT_MAX) {
        for (int i = 0; i < p.inc; ++i)
            p.inctab[i].flg_ref = 0;
        generation = 0;
    }
    ++generation;
}

void close_level(scan_level& l) {
    if (l.fp) std::fclose(l.fp);
    l.fp = nullptr;
}

// Closes every level still open, whichever way processing ends.
struct open_levels {
    scan_run& run;
    ~open_levels() {
        for (int d = 0; d < run.depth; ++d)
            close_level(run.levels[d]);
        run.depth = 0;
    }
};

// Gives the input a block of the level's size; its own is kept when none can be had.
void buffer_stream(scan_level& l, int depth) {
    if (depth >= buffered_levels) return;
    const std::size_t size = depth == 0 ? source_buffer_size : include_buffer_size;
    if (!l.iobuf) l.iobuf.reset(new (std::nothrow) char[size]);
    if (l.iobuf) text_open(l.in, l.fp, l.iobuf.get(), size);
}

// Takes the next level of the chain, fresh. Null when no memory is left for it.
scan_level* push_level(scan_run& run) {
    if (run.depth == static_cast<int>(run.levels.size())) {
        try {
            run.levels.emplace_back();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    scan_level& l = run.levels[run.depth++];
    l.fp = nullptr;
    l.replay = nullptr;
    l.entry = nullptr;
    l.nest = 0;
    l.lines = 0;
    l.flg_first = 1;
    l.flg_cdstack = 0;
    l.recording = false;
    l.rec.clear();
    l.cdstack[0] = '\0';
    l.filename[0] = '\0';
    return &l;
}

// The analysers' fixed report texts keep within this size; paths are cut to fit it.
constexpr int report_size = path_size;

// Writes text + path + tail into out, shortening the path so the whole stays below
// report_size characters and the tail is always kept.
void cut_report(char* out, const char* text, const char* path, const char* tail) {
    const std::size_t room = report_size - 1 - std::strlen(text) - std::strlen(tail);
    std::snprintf(out, report_size, "%s%.*s%s", text, static_cast<int>(room), path, tail);
}

// Decides the language from the letter after the first dot: 1 Fortran, 2 C, 0 neither.
int source_language(const char* name) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return 0;
    switch (dot[1]) {
    case 'f':
    case 'F':
        return 1;
    case 'c':
    case 'C':
        return 2;
    default:
        return 0;
    }
}

// Decides a Fortran source's form from its name: free when the text after the first dot is
// f90, f95, f03 or f08 (letter case ignored), fixed for every other name.
int source_form(const char* name) {
    const char* dot = std::strchr(name, '.');
    if (!dot) return form_fixed;
    const std::string_view ext(dot + 1);
    for (const char* free_ext : {"f90", "f95", "f03", "f08"})
        if (same_name_ignoring_case(ext, free_ext)) return form_free;
    return form_fixed;
}

void copy_name(char* field, std::size_t size, const char* name) {
    std::snprintf(field, size, "%s", name);
}

// Creates the source row (nest 0) and opens the file of a new level: the row, the reset of
// the include marks, the path, the existence and type check, the open. Returns false after
// reporting; a level that failed holds no open file.
bool open_level(scan_level& l, int nest, int& lang, int inctype, const char* dir, const char* name,
                int incdir_no, int srcdir_no, srctab_row* source, project& p) {
    bool ok = true;
    if (nest == 0) {
        if (p.src >= mxsrc) {
            std::printf("#ERROR#  build_file  source table overflow >=%d\n", mxsrc);
            print_diag(1, "source table overflow", "build_file");
            ok = false;
        } else {
            source->no = p.src;
            source->srcdir_no = srcdir_no;
            source->incdir_no = incdir_no;
            source->inctype = inctype;
            source->rmod1 = nullptr;
            source->rinc1 = nullptr;
            source->rmod_cnt = source->rinc_cnt = 0;
            source->line_cnt = source->incline_cnt = 0;
            source->lang = 0;
            source->flg_prog = 0;
            copy_name(source->name, sizeof source->name, name);
            lang = source_language(name);
            source->lang = lang;
            if (lang == 0) {
                std::printf("#ERROR#  invalid source type [%s] \n", name);
                print_diag(1, "invalid source type", "buuild_file");
                ok = false;
            }
        }
        next_generation(p);
    }

    // The join runs even after a failure above, and reports its own fault as well.
    if (mprc_filename(l.filename, dir, name, '\\') != 0) {
        if (nest == 0) {
            std::printf(" #ERROR#  build_file  source filename error filename=[%s]\n", l.filename);
            print_diag(1, "source filename error", "mprc_coun_file");
        } else {
            std::printf(" #ERROR#  build_file  include filename error filename=[%s]\n", l.filename);
            print_diag(1, "include filename error", "mprc_coun_file");
        }
        ok = false;
    }
    if (!ok) return false;

    char report[report_size];
    int ierror = 0;
    int itype = 0;
    const int len = static_cast<int>(std::strlen(l.filename));
    isadir(ierror, len, l.filename, itype);
    if (ierror != 0) {
        cut_report(report, "not exist source file [", l.filename, "]");
        std::printf("#ERROR#  build_file  %s\n", report);
        print_diag(1, report, "build_file");
        return false;
    }
    if (itype != 0) {
        cut_report(report, "invalid filetype ", l.filename, "");
        std::printf(" #ERROR#  build_file  %s\n", report);
        print_diag(1, report, "build_file");
        return false;
    }
    l.fp = fopen_native(l.filename, "r");
    if (!l.fp) {
        std::printf(" #ERROR#  build_file  source file open error [%s]\n", l.filename);
        print_diag(1, "source file open error", "mprc_coun_file");
        return false;
    }
    text_open(l.in, l.fp);
    l.nest = nest;
    l.lines = 0;
    l.flg_first = 1;
    l.flg_cdstack = 0;
    l.cdstack[0] = '\0';
    return true;
}

// Records a module use for the source; false after a reported table overflow.
bool record_use(const char* name, srctab_row* source, project& p) {
    modtab_row* module = build_modtab("use", p, name, source);
    if (!module) {
        std::printf("#ERROR#  build_file :error return from mprc_modtab\n");
        return false;
    }
    const int before = p.rmod;
    rmodtab_row* ref = build_rmodtab(module, p, source);
    if (!ref) {
        std::printf("#ERROR#  build_file :error return from mprc_rmodtab\n");
        return false;
    }
    if (p.rmod != before) {
        if (!source->rmod1) {
            source->rmod1 = ref;
            source->rmod_cnt = 1;
        } else {
            ++source->rmod_cnt;
        }
    }
    return true;
}

// Scratch kept across calls: the statement buffer is needed by one level at a time, since a
// statement is fully handled before the next level is read.
char bun[bun_size];

// What stays the same for every level of one call.
struct chain {
    int lang;
    int form; // the source's: every include file of the chain is read in it
    int inctype;
    const char* incdir;
    int incdir_no;
    int srcdir_no;
    srctab_row* source;
};

bool out_of_memory() {
    std::printf("#ERROR#  build_file  out of memory\n");
    print_diag(1, "out of memory", "build_file");
    return false;
}

// Ends the innermost level, whose file or record is done: its lines go to the source row,
// and a file read to its end is kept for the next source that includes it.
void finish_level(scan_run& run, const chain& c, project& p) {
    scan_level& l = run.levels[run.depth - 1];
    if (l.nest == 0)
        c.source->line_cnt = l.lines;
    else
        c.source->incline_cnt += l.lines;
    if (l.recording && l.entry != nullptr)
        include_cache_store(*run.cache, static_cast<int>(l.entry - p.inctab), c.lang, c.form, l.rec,
                            l.lines);
    close_level(l);
    --run.depth;
}

// Opens the next level for an include entry: its record when the run has one, else the file.
bool enter_include(scan_run& run, inctab_row* entry, const chain& c, project& p) {
    scan_level* inner = push_level(run);
    if (inner == nullptr) return out_of_memory();
    inner->entry = entry;
    inner->nest = 1;
    if (run.cache != nullptr) {
        inner->replay =
            include_cache_find(*run.cache, static_cast<int>(entry - p.inctab), c.lang, c.form);
        if (inner->replay != nullptr) return true;
    }
    int lang = c.lang;
    if (!open_level(*inner, 1, lang, c.inctype, c.incdir, entry->name, c.incdir_no, c.srcdir_no,
                    c.source, p))
        return false;
    buffer_stream(*inner, run.depth - 1);
    inner->recording = run.cache != nullptr;
    return true;
}

// Records one statement of the level at position at in the tables. False after a report.
bool handle_statement(scan_run& run, int at, int bunclass, const char* name, const chain& c,
                      project& p) {
    srctab_row* source = c.source;
    if (bunclass == 1) {
        if (!build_modtab("module", p, name, source)) {
            std::printf("#ERROR#  build_file :error return from mprc_modtab\n");
            return false;
        }
    } else if (bunclass == 2) {
        return record_use(name, source, p);
    } else if (bunclass == 3) {
        const scan_level& l = run.levels[at];
        inctab_row* entry = build_inctab(l.nest, l.entry, p, c.inctype, c.incdir_no, name);
        if (!entry) {
            std::printf("#ERROR#  build_file :error return from build_inctab\n");
            return false;
        }
        if (entry->flg_ref == generation) return true;
        const int before = p.rinc;
        refinctab_row* ref = build_refinctab(entry, p, source);
        if (!ref) {
            std::printf("#ERROR#  build_file :error return from build_refinctab\n");
            return false;
        }
        entry->flg_ref = generation;
        if (p.rinc != before) {
            if (!source->rinc1) {
                source->rinc1 = ref;
                source->rinc_cnt = 1;
            } else {
                ++source->rinc_cnt;
            }
        }
        return enter_include(run, entry, c, p);
    } else if (bunclass == 5) {
        source->flg_prog = 1;
    }
    return true;
}

} // namespace

int build_file_run(int nest, int lang, int inctype, const char* incdir, const char* srcdir,
                   const char* name, int incdir_no, int srcdir_no, srctab_row* source, project& p,
                   inctab_row* parent, scan_run& run) {
    open_levels guard{run};
    run.depth = 0;
    scan_level* top = push_level(run);
    if (top == nullptr) {
        out_of_memory();
        return -1;
    }
    top->entry = parent;
    if (!open_level(*top, nest, lang, inctype, nest == 0 ? srcdir : incdir, name, incdir_no,
                    srcdir_no, source, p))
        return -1;
    buffer_stream(*top, 0);
    const chain c{lang, source_form(source->name), inctype, incdir, incdir_no, srcdir_no, source};

    char stmt_name[name_size];
    while (run.depth > 0) {
        const int at = run.depth - 1;
        scan_level& l = run.levels[at];
        int bunclass = 0;
        const char* stmt = stmt_name;
        if (l.replay != nullptr) {
            cached_statement cs;
            if (!include_cache_next(l.replay, cs, l.lines)) {
                finish_level(run, c, p);
                continue;
            }
            bunclass = cs.bunclass;
            stmt = cs.name;
        } else {
            const int rtn =
                mprc_readbun(l.in, bun, c.lang, c.form, l.flg_first, l.cdstack, &l.flg_cdstack);
            l.flg_first = 0;
            if (rtn == 0) {
                finish_level(run, c, p);
                continue;
            }
            if (rtn < 0) {
                std::printf("#ERROR#  build_file  read error  source=[%s], line %d or after\n",
                            l.filename, l.lines + 1);
                print_diag(1, "error occurs while source inpur", "bueld_file");
                return -1;
            }
            l.lines += rtn;
            bunclass = mprc_anabun(c.lang, bun, stmt_name);
            if (bunclass < 0) return -1;
            const bool kept = bunclass == 1 || bunclass == 2 || bunclass == 3 || bunclass == 5;
            if (l.recording && kept &&
                !include_cache_note(l.rec, bunclass, bunclass == 5 ? "" : stmt_name))
                l.recording = false; // no memory for the record: the file is read again
        }
        // A new level may move the levels' storage: l is not used past this point.
        if (!handle_statement(run, at, bunclass, stmt, c, p)) return -1;
    }
    return 0;
}

int build_file(int nest, int lang, int inctype, const char* incdir, const char* srcdir,
               const char* name, int incdir_no, int srcdir_no, srctab_row* source, project& p,
               inctab_row* parent) {
    scan_run run;
    return build_file_run(nest, lang, inctype, incdir, srcdir, name, incdir_no, srcdir_no, source,
                          p, parent, run);
}
